#pragma once

#include <string>
#include <string_view>

namespace vornal::web {

// Text of the data (names, logins, folders, anything a request brought)
// made safe inside HTML text and quoted attribute values: what would steer
// the text unseen is written as escapes first (VisibleText), then & < > " '
// become character references. Every page writes data through it.
std::string Html(std::string_view text);

// A value for a URL's query: everything but unreserved characters
// percent-encoded.
std::string UrlValue(std::string_view text);

}  // namespace vornal::web
