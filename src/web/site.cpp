#include "web/site.h"

#include <sodium.h>
#include <zlib.h>

#include <QByteArray>
#include <QGuiApplication>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>

#include "cli/format.h"
#include "report/timesheet_report.h"
#include "stats/timesheet.h"
#include "store/change_watch.h"
#include "store/schema.h"
#include "store/settings.h"
#include "store/store_error.h"
#include "store/web_users.h"
#include "web/pages.h"

namespace vornal::web {
namespace {

using Clock = std::chrono::steady_clock;
using Form = std::map<std::string, std::string, std::less<>>;

constexpr const char* kCookie = "vornal_session";
constexpr int kAttempts = 5;  // wrong passwords a minute before the account and address wait
constexpr auto kAttemptWindow = std::chrono::minutes(1);

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// application/x-www-form-urlencoded, as a query or a form's body; a
// malformed escape is kept as it was sent.
Form ParseForm(std::string_view text) {
  Form form;
  while (!text.empty()) {
    const std::size_t amp = text.find('&');
    const std::string_view pair = text.substr(0, amp);
    text = amp == std::string_view::npos ? std::string_view() : text.substr(amp + 1);
    const std::size_t eq = pair.find('=');
    const auto decode = [](std::string_view part) {
      std::string out;
      for (std::size_t i = 0; i < part.size(); ++i) {
        if (part[i] == '+') {
          out += ' ';
        } else if (part[i] == '%' && i + 2 < part.size() + 0 && HexDigit(part[i + 1]) >= 0 &&
                   HexDigit(part[i + 2]) >= 0) {
          out += static_cast<char>(HexDigit(part[i + 1]) * 16 + HexDigit(part[i + 2]));
          i += 2;
        } else {
          out += part[i];
        }
      }
      return out;
    };
    form.emplace(decode(pair.substr(0, eq)),
                 eq == std::string_view::npos ? std::string() : decode(pair.substr(eq + 1)));
  }
  return form;
}

std::string Value(const Form& form, std::string_view key) {
  const auto found = form.find(key);
  return found == form.end() ? std::string() : found->second;
}

std::optional<int> Number(const Form& form, std::string_view key, int low, int high) {
  const std::string text = Value(form, key);
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
    return std::nullopt;
  const int value = std::stoi(text);
  if (value < low || value > high) return std::nullopt;
  return value;
}

std::string CookieToken(std::string_view header) {
  const std::string key = std::string(kCookie) + "=";
  std::size_t at = 0;
  while ((at = header.find(key, at)) != std::string_view::npos) {
    if (at == 0 || header[at - 1] == ' ' || header[at - 1] == ';') {
      const std::string_view rest = header.substr(at + key.size());
      return std::string(rest.substr(0, rest.find(';')));
    }
    at += key.size();
  }
  return {};
}

HttpResponse Response(int status, std::string type, std::string body, bool personal = true) {
  HttpResponse response{status, {{"Content-Type", std::move(type)}}, std::move(body)};
  response.headers.insert(
      response.headers.end(),
      {{"Content-Security-Policy",
        "default-src 'none'; style-src 'self'; img-src 'self'; form-action 'self'; "
        "frame-ancestors 'none'; base-uri 'none'"},
       {"X-Content-Type-Options", "nosniff"},
       {"X-Frame-Options", "DENY"},
       {"Referrer-Policy", "no-referrer"},
       {"Cache-Control", personal ? "no-store" : "public, max-age=3600"}});
  return response;
}

HttpResponse Html(int status, std::string body) {
  return Response(status, "text/html; charset=utf-8", std::move(body));
}

HttpResponse Redirect(const std::string& location) {
  HttpResponse response = Response(303, "text/plain; charset=utf-8", "");
  response.headers.emplace_back("Location", location);
  return response;
}

// The client takes gzip (and has not refused it with q=0).
bool TakesGzip(std::string_view header) {
  const std::size_t at = header.find("gzip");
  if (at == std::string_view::npos) return false;
  std::string_view rest = header.substr(at + 4);
  rest = rest.substr(0, rest.find(','));
  return rest.find("q=0") == std::string_view::npos || rest.find("q=0.") != std::string_view::npos;
}

// The text as a gzip stream; empty when zlib fails.
std::string Gzip(const std::string& text) {
  z_stream stream{};
  if (deflateInit2(&stream, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) return {};
  std::string out(deflateBound(&stream, text.size()), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return result == Z_STREAM_END ? out : std::string();
}

// A pool of read-only connections, one per request at a time.
class Pool {
 public:
  explicit Pool(std::string location) : m_location(std::move(location)) {}

  DatabasePtr Take() {
    {
      const std::lock_guard lock(m_mutex);
      if (!m_free.empty()) {
        DatabasePtr db = std::move(m_free.back());
        m_free.pop_back();
        return db;
      }
    }
    auto db = std::make_unique<Database>();
    db->OpenReadOnly(m_location);
    return db;
  }
  void Give(DatabasePtr db) {
    const std::lock_guard lock(m_mutex);
    m_free.push_back(std::move(db));
  }

 private:
  std::string m_location;
  std::mutex m_mutex;
  std::vector<DatabasePtr> m_free;
};

struct Session {
  std::string name;
  Clock::time_point created, used;
};

}  // namespace

struct WebSite::State {
  SiteOptions options;
  Pool pool{options.location};

  std::mutex sessionMutex;
  std::map<std::string, Session> sessions;
  std::map<std::string, std::deque<Clock::time_point>> failures;  // "a:" address, "u:" name

  // Rendered timesheets and their files, until the data changes.
  std::mutex cacheMutex;
  DatabasePtr watchDb;
  std::int64_t dataMark = -1;
  std::map<std::string, std::shared_ptr<const std::string>> cache;
  std::mutex pdfMutex;

  explicit State(SiteOptions o) : options(std::move(o)) {}

  Clock::time_point Now() const { return options.clock(); }

  // Forgets the cache when the database may have changed since it was made.
  void CheckData() {
    const std::lock_guard lock(cacheMutex);
    try {
      if (!watchDb) watchDb = pool.Take();
      const std::int64_t mark = ChangeMark(*watchDb);
      if (mark != dataMark) cache.clear();
      dataMark = mark;
    } catch (const StoreError&) {
      watchDb.reset();
      cache.clear();
    }
  }

  template <class Build>
  std::shared_ptr<const std::string> Cached(const std::string& key, Build build) {
    std::int64_t mark = 0;
    {
      const std::lock_guard lock(cacheMutex);
      const auto found = cache.find(key);
      if (found != cache.end()) return found->second;
      mark = dataMark;
    }
    auto body = std::make_shared<const std::string>(build());
    const std::lock_guard lock(cacheMutex);
    // Built from what may be older than a change seen meanwhile: not kept.
    if (mark != dataMark) return body;
    if (cache.size() > 64) cache.clear();
    cache[key] = body;
    return body;
  }

  int RecentFailures(const std::string& key) {
    auto found = failures.find(key);
    if (found == failures.end()) return 0;
    auto& times = found->second;
    while (!times.empty() && Now() - times.front() >= kAttemptWindow) times.pop_front();
    return static_cast<int>(times.size());
  }

  std::optional<Account> AccountOf(Database& db, const HttpRequest& request) {
    const std::string token = CookieToken(request.cookie);
    if (token.empty()) return std::nullopt;
    std::string name;
    {
      const std::lock_guard lock(sessionMutex);
      const auto found = sessions.find(token);
      if (found == sessions.end()) return std::nullopt;
      Session& session = found->second;
      if (Now() - session.used >= options.sessionIdle ||
          Now() - session.created >= options.sessionLife) {
        sessions.erase(found);
        return std::nullopt;
      }
      session.used = Now();
      name = session.name;
    }
    // The account as it is now: removed or changed since the login shows at once.
    const std::optional<WebUser> user = FindWebUser(db, name);
    if (!user) return std::nullopt;
    return Account{user->name, user->role == WebUser::Role::Manager, user->department};
  }

  HttpResponse LogIn(Database& db, const HttpRequest& request, Lang lang) {
    const Form form = ParseForm(request.body);
    const std::string name = Value(form, "name"), password = Value(form, "password");
    const std::string addressKey = "a:" + request.remote, nameKey = "u:" + name;
    {
      const std::lock_guard lock(sessionMutex);
      if (RecentFailures(addressKey) >= kAttempts || RecentFailures(nameKey) >= kAttempts)
        return Html(429,
                    LoginPage(lang,
                              lang == Lang::Ru ? "Слишком много неверных паролей. Подождите минуту."
                                               : "Too many wrong passwords. Wait a minute.",
                              name));
    }
    const std::optional<WebUser> user = name.empty() ? std::nullopt : FindWebUser(db, name);
    // A name without an account costs the same time as a wrong password.
    static const std::string kDummy = HashWebPassword("not a password");
    const bool right = VerifyWebPassword(user ? user->passwordHash : kDummy, password) && user;
    const std::lock_guard lock(sessionMutex);
    if (!right) {
      if (failures.size() > 10000)
        std::erase_if(failures, [&](auto& entry) { return RecentFailures(entry.first) == 0; });
      failures[addressKey].push_back(Now());
      failures[nameKey].push_back(Now());
      return Html(
          401,
          LoginPage(lang, lang == Lang::Ru ? "Неверное имя или пароль." : "Wrong name or password.",
                    name));
    }
    failures.erase(nameKey);
    if (sessions.size() > 10000)
      std::erase_if(sessions, [&](const auto& entry) {
        return Now() - entry.second.used >= options.sessionIdle ||
               Now() - entry.second.created >= options.sessionLife;
      });
    unsigned char random[32];
    randombytes_buf(random, sizeof random);
    char hex[sizeof random * 2 + 1];
    sodium_bin2hex(hex, sizeof hex, random, sizeof random);
    sessions[hex] = {user->name, Now(), Now()};
    HttpResponse response = Redirect("/");
    response.headers.emplace_back(
        "Set-Cookie", std::string(kCookie) + "=" + hex + "; Path=/; HttpOnly; SameSite=Strict" +
                          (request.tls || options.secureCookie ? "; Secure" : ""));
    return response;
  }

  HttpResponse LogOut(const HttpRequest& request) {
    {
      const std::lock_guard lock(sessionMutex);
      sessions.erase(CookieToken(request.cookie));
    }
    HttpResponse response = Redirect("/login");
    response.headers.emplace_back(
        "Set-Cookie", std::string(kCookie) + "=; Path=/; HttpOnly; SameSite=Strict; Max-Age=0" +
                          (request.tls || options.secureCookie ? "; Secure" : ""));
    return response;
  }

  // The cached body, gzipped (and cached so) for a client that takes it.
  template <class Build>
  void Compressible(HttpResponse& response, const std::string& key, bool gzip, Build build) {
    const auto plain = Cached(key, build);
    if (gzip) {
      const auto packed = Cached(key + "|gzip", [&] { return Gzip(*plain); });
      if (!packed->empty()) {
        response.body = *packed;
        response.headers.emplace_back("Content-Encoding", "gzip");
        response.headers.emplace_back("Vary", "Accept-Encoding");
        return;
      }
    }
    response.body = *plain;
    response.headers.emplace_back("Vary", "Accept-Encoding");
  }

  HttpResponse Timesheet(Database& db, const Account& account, const Form& query,
                         std::string_view kind, Lang lang, bool gzip) {
    const DateTime now = DateTime::Now();
    const std::optional<int> year =
        query.count("year") ? Number(query, "year", 1, 9999) : now.Year();
    const std::optional<int> month =
        query.count("month") ? Number(query, "month", 1, 12) : now.Month();
    if (!year || !month)
      return Html(400,
                  MessagePage(lang, &account, lang == Lang::Ru ? "Неверный месяц" : "Wrong month",
                              lang == Lang::Ru ? "Укажите год и месяц числами."
                                               : "Give the year and the month as numbers."));
    const std::string department =
        account.manager ? account.department : Value(query, "department");
    const auto build = [&] {
      vornal::Timesheet sheet = *BuildTimesheet(db, *year, *month, "");
      if (account.manager || !department.empty())
        KeepRows(sheet, *VisibleKeys(db, Account{"", true, department}));
      return sheet;
    };
    CheckData();
    const std::string key = std::string(kind) + '|' + std::to_string(*year) + '|' +
                            std::to_string(*month) + '|' + department + '|' +
                            (lang == Lang::Ru ? "ru" : "en") + '|' + (account.manager ? "m" : "v") +
                            '|' + account.name;
    const std::string file = "timesheet-" + std::to_string(*year) + "-" + (*month < 10 ? "0" : "") +
                             std::to_string(*month);
    if (kind == "csv") {
      HttpResponse response = Response(200, "text/csv; charset=utf-8", "");
      Compressible(response, key, gzip, [&] { return cli::TimesheetCsv(build()); });
      response.headers.emplace_back("Content-Disposition",
                                    "attachment; filename=\"" + file + ".csv\"");
      return response;
    }
    if (kind == "pdf") {
      if (!QGuiApplication::instance())
        return Html(503, MessagePage(lang, &account, "PDF", "PDF output is not available here."));
      const auto body = Cached(key, [&] {
        const vornal::Timesheet sheet = build();
        const std::string title = LoadOfficeTitle(db);
        const std::lock_guard lock(pdfMutex);
        const QByteArray pdf = TimesheetReport(sheet, QString::fromStdString(title)).TimesheetPdf();
        return std::string(pdf.constData(), static_cast<std::size_t>(pdf.size()));
      });
      HttpResponse response = Response(200, "application/pdf", *body);
      response.headers.emplace_back("Content-Disposition", "inline; filename=\"" + file + ".pdf\"");
      return response;
    }
    HttpResponse response = Html(200, "");
    Compressible(response, key, gzip, [&] {
      return TimesheetPage(build(), account, lang,
                           account.manager ? std::vector<std::string>{} : Departments(db),
                           department);
    });
    return response;
  }

  HttpResponse Route(Database& db, const HttpRequest& request) {
    const Lang lang = LanguageOf(request.acceptLanguage);
    const bool gzip = TakesGzip(request.acceptEncoding);
    const std::size_t mark = request.target.find('?');
    const std::string path = request.target.substr(0, mark);
    const Form query =
        ParseForm(mark == std::string::npos ? std::string_view()
                                            : std::string_view(request.target).substr(mark + 1));
    const bool get = request.method == "GET", post = request.method == "POST";
    if (!get && !post) {
      HttpResponse response = Response(405, "text/plain; charset=utf-8", "Method not allowed\n");
      response.headers.emplace_back("Allow", "GET, POST");
      return response;
    }
    if (path == "/style.css" && get)
      return Response(200, "text/css; charset=utf-8", kStylesheet, false);
    if (path == "/login" && get) return Html(200, LoginPage(lang, "", ""));
    if (path == "/login" && post) return LogIn(db, request, lang);
    if (path == "/logout" && post) return LogOut(request);

    const std::optional<Account> account = AccountOf(db, request);
    if (!account) return Redirect("/login");
    const auto notFound = [&] {
      return Html(404, MessagePage(lang, &*account, lang == Lang::Ru ? "Не найдено" : "Not found",
                                   lang == Lang::Ru ? "Такой страницы нет или она вам не видна."
                                                    : "No such page, or it is not yours to see."));
    };
    if (!get) return notFound();
    if (path == "/") return Html(200, PresencePage(db, *account, lang));
    if (path == "/people") return Html(200, PeoplePage(db, *account, lang, Value(query, "q")));
    if (path == "/person") {
      const DateTime now = DateTime::Now();
      const std::optional<int> year =
          query.count("year") ? Number(query, "year", 1, 9999) : now.Year();
      const std::optional<int> month =
          query.count("month") ? Number(query, "month", 1, 12) : now.Month();
      if (!year || !month) return notFound();
      const auto page = PersonPage(db, *account, lang, Value(query, "login"), *year, *month);
      return page ? Html(200, *page) : notFound();
    }
    if (path == "/day") {
      const std::optional<DateTime> day = DateTime::FromIsoDay(Value(query, "date"));
      if (!day) return notFound();
      const auto page = DayPage(db, *account, lang, Value(query, "login"), *day);
      return page ? Html(200, *page) : notFound();
    }
    if (path == "/timesheet") return Timesheet(db, *account, query, "html", lang, gzip);
    if (path == "/timesheet.csv") return Timesheet(db, *account, query, "csv", lang, gzip);
    if (path == "/timesheet.pdf") return Timesheet(db, *account, query, "pdf", lang, false);
    if (path == "/collection" && !account->manager)
      return Html(200, CollectionPage(db, *account, lang));
    return notFound();
  }
};

WebSite::WebSite(SiteOptions options) : m_state(std::make_unique<State>(std::move(options))) {
  if (sodium_init() < 0) throw std::runtime_error("libsodium cannot start");
}

WebSite::~WebSite() = default;

HttpResponse WebSite::Handle(const HttpRequest& request) {
  DatabasePtr db;
  try {
    db = m_state->pool.Take();
    HttpResponse response = m_state->Route(*db, request);
    m_state->pool.Give(std::move(db));
    return response;
  } catch (const StoreError&) {
    // The connection may be broken: it is not given back.
    const Lang lang = LanguageOf(request.acceptLanguage);
    return Html(503,
                MessagePage(lang, nullptr,
                            lang == Lang::Ru ? "База данных недоступна" : "Database unavailable",
                            lang == Lang::Ru ? "Попробуйте позже." : "Try again later."));
  }
}

}  // namespace vornal::web
