#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vornal {

// The length of the well-formed UTF-8 sequence at text[i] (1 to 4) and its
// code point; 0 for a byte that begins none (a stray continuation byte, an
// overlong form, a surrogate, beyond U+10FFFF, a sequence cut short).
std::size_t Utf8SequenceAt(std::string_view text, std::size_t i, char32_t& code);

// True when the bytes are well-formed UTF-8 throughout.
bool IsUtf8(std::string_view text);
// The length in characters, as a column's size counts them: every byte but
// continuation bytes counts one.
std::size_t Utf8Length(std::string_view text);
// At most the first `bytes` bytes of the text, not cutting a sequence.
std::string_view Utf8Head(std::string_view text, std::size_t bytes);
// Appends a code point in UTF-8.
void AppendUtf8(std::string& out, char32_t code);

// True when the text holds a control character (C0, DEL, C1) among its
// well-formed sequences.
bool HasControlCharacter(std::string_view text);
inline bool IsControlCharacter(char32_t code) {
  return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

}  // namespace vornal
