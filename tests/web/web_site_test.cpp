#include "web/site.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>

#include "stats/stats_test_util.h"
#include "store/people.h"
#include "store/web_users.h"
#include "test_util.h"
#include "web/pages.h"

namespace vornal::web {
namespace {

using test::AddLog;

std::string Header(const HttpResponse& response, std::string_view name) {
  for (const auto& [key, value] : response.headers)
    if (key == name) return value;
  return {};
}

// A database with people, rows and two accounts, and the web view on it.
class WebSiteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_location = test::OnServer() ? test::ServerDatabases::New() : m_dir.File("base.mdb");
    m_db = test::MakeDatabase(m_location);
    InsertPerson(*m_db, {"Петров Пётр", "", "", "", "petrov", "", ""});
    InsertPerson(*m_db, {"<script>alert(1)</script> \"Q\" 'x' \x1B[2J\xE2\x80\xAE", "", "", "",
                         "ev\"il<b>", "", ""});
    AddLog(*m_db, "petrov", "StopWDay", "2024-03-04 09:00:00", "2024-03-04 17:30:00");
    AddLog(*m_db, "petrov", "StopWork", "2024-03-04 10:00:00", "2024-03-04 11:00:00");
    AddLog(*m_db, "ev\"il<b>", "StopWDay", "2024-03-05 08:00:00", "2024-03-05 12:00:00");
    AddWebUser(*m_db, {"boss", WebUser::Role::Viewer, "", HashWebPassword("right one")});
    SiteOptions options;
    options.location = m_location;
    options.clock = [this] { return m_now; };
    m_site = std::make_unique<WebSite>(options);
  }

  HttpResponse Get(const std::string& target, const std::string& cookie = {}) {
    HttpRequest request{"GET", target, cookie, "ru", "", "", "10.0.0.1", false, ""};
    return m_site->Handle(request);
  }
  HttpResponse LogIn(const std::string& name, const std::string& password,
                     const std::string& from = "10.0.0.1") {
    HttpRequest request{"POST",
                        "/login",
                        "",
                        "en",
                        "application/x-www-form-urlencoded",
                        "name=" + name + "&password=" + password,
                        from,
                        false,
                        ""};
    return m_site->Handle(request);
  }
  // The cookie a successful login sets, as the browser sends it back.
  static std::string Cookie(const HttpResponse& response) {
    const std::string set = Header(response, "Set-Cookie");
    return set.substr(0, set.find(';'));
  }

  test::TempDir m_dir;
  std::string m_location;
  DatabasePtr m_db;
  std::chrono::steady_clock::time_point m_now{std::chrono::hours(1000)};
  std::unique_ptr<WebSite> m_site;
};

TEST_F(WebSiteTest, LoginSessionAndLogout) {
  // The web view only reads: the file is the same, byte for byte, after it all.
  const std::string before = test::OnServer() ? "" : test::ReadFile(m_location);
  EXPECT_EQ(Get("/").status, 303);
  EXPECT_EQ(Header(Get("/timesheet.csv?year=2024&month=3"), "Location"), "/login");
  EXPECT_EQ(LogIn("boss", "wrong").status, 401);
  EXPECT_EQ(LogIn("nobody", "right+one").status, 401);

  const HttpResponse in = LogIn("boss", "right+one");
  ASSERT_EQ(in.status, 303);
  const std::string set = Header(in, "Set-Cookie");
  EXPECT_NE(set.find("HttpOnly"), std::string::npos);
  EXPECT_NE(set.find("SameSite=Strict"), std::string::npos);
  EXPECT_EQ(set.find("Secure"), std::string::npos);
  const std::string cookie = Cookie(in);
  HttpRequest overTls{"POST",     "/login", "", "", "", "name=boss&password=right+one",
                      "10.0.0.1", true,     ""};
  EXPECT_NE(Header(m_site->Handle(overTls), "Set-Cookie").find("; Secure"), std::string::npos);
  ASSERT_EQ(cookie.size(), std::string("vornal_session=").size() + 64);  // 256 bits in hex

  for (const char* page :
       {"/", "/people?q=petr", "/person?login=petrov&year=2024&month=3",
        "/day?login=petrov&date=2024-03-04", "/timesheet?year=2024&month=3", "/collection"}) {
    const HttpResponse response = Get(page, cookie);
    EXPECT_EQ(response.status, 200) << page;
    EXPECT_EQ(Header(response, "Cache-Control"), "no-store") << page;
    EXPECT_EQ(Header(response, "X-Content-Type-Options"), "nosniff") << page;
    EXPECT_NE(Header(response, "Content-Security-Policy").find("default-src 'none'"),
              std::string::npos);
  }
  EXPECT_NE(Get("/day?login=petrov&date=2024-03-04", cookie).body.find("<svg"), std::string::npos);
  EXPECT_EQ(Get("/../etc/passwd", cookie).status, 404);
  EXPECT_EQ(Get("/person?login=nobody", cookie).status, 404);

  // Idle past its time, a session ends.
  m_now += std::chrono::hours(3);
  EXPECT_EQ(Get("/", cookie).status, 303);
  const std::string again = Cookie(LogIn("boss", "right+one"));
  HttpRequest out{"POST", "/logout", again, "", "", "", "10.0.0.1", false, ""};
  EXPECT_EQ(m_site->Handle(out).status, 303);
  EXPECT_EQ(Get("/", again).status, 303);
  if (!test::OnServer()) {
    EXPECT_EQ(test::ReadFile(m_location), before);
  }
}

TEST_F(WebSiteTest, FiveWrongPasswordsInAMinuteMakeTheAccountAndAddressWait) {
  for (int i = 0; i < 5; ++i) EXPECT_EQ(LogIn("boss", "wrong", "10.0.0.9").status, 401);
  // The right password from elsewhere waits too: the account is slowed.
  EXPECT_EQ(LogIn("boss", "right+one", "10.0.0.2").status, 429);
  m_now += std::chrono::seconds(61);
  EXPECT_EQ(LogIn("boss", "right+one", "10.0.0.2").status, 303);
  // Guessing many names from one address slows the address.
  for (int i = 0; i < 5; ++i)
    EXPECT_EQ(LogIn("user" + std::to_string(i), "x", "10.0.0.7").status, 401);
  EXPECT_EQ(LogIn("boss", "right+one", "10.0.0.7").status, 429);
}

TEST_F(WebSiteTest, NamesAndLoginsShowAsText) {
  const std::string cookie = Cookie(LogIn("boss", "right+one"));
  for (const char* page : {"/", "/people", "/person?login=ev%22il%3Cb%3E&year=2024&month=3",
                           "/day?login=ev%22il%3Cb%3E&date=2024-03-05",
                           "/timesheet?year=2024&month=3", "/people?q=%3Cscript%3E"}) {
    const std::string body = Get(page, cookie).body;
    EXPECT_EQ(body.find("<script"), std::string::npos) << page;
    EXPECT_EQ(body.find("<b>"), std::string::npos) << page;
    EXPECT_EQ(body.find('\x1B'), std::string::npos) << page;
    EXPECT_EQ(body.find("\xE2\x80\xAE"), std::string::npos) << page;
    EXPECT_NE(body.find("&lt;script&gt;"), std::string::npos) << page;
  }
  EXPECT_NE(Get("/people", cookie).body.find("&quot;Q&quot; &#39;x&#39; \\x1B[2J\\u202E"),
            std::string::npos);
}

TEST_F(WebSiteTest, TimesheetFilesAreTheCommandLinesAndFollowChanges) {
  const std::string cookie = Cookie(LogIn("boss", "right+one"));
  const auto cli = [&] {
    const std::string out = m_dir.File("cli.csv");
    const std::string command = std::string("VORNAL_DB='") + m_location + "' " VORNAL_CLI +
                                " timesheet --year 2024 --month 3 --csv > " + out;
    EXPECT_EQ(std::system(command.c_str()), 0);
    return test::ReadFile(out);
  };
  const HttpResponse csv = Get("/timesheet.csv?year=2024&month=3", cookie);
  EXPECT_EQ(Header(csv, "Content-Type"), "text/csv; charset=utf-8");
  EXPECT_EQ(csv.body, cli());
  // The cached file is made anew once the data changes.
  AddLog(*m_db, "petrov", "StopWDay", "2024-03-06 09:00:00", "2024-03-06 10:00:00");
  const std::string after = Get("/timesheet.csv?year=2024&month=3", cookie).body;
  EXPECT_NE(after, csv.body);
  EXPECT_EQ(after, cli());
}

TEST_F(WebSiteTest, AManagerSeesOnlyTheDepartment) {
  m_db->Execute("UPDATE human SET Department = 'Sales' WHERE Login = 'petrov'");
  m_db->Execute("UPDATE human SET Department = 'Sales ' WHERE Login <> 'petrov'");
  AddLog(*m_db, "stranger", "StopWDay", "2024-03-04 09:00:00", "2024-03-04 17:00:00");
  AddWebUser(*m_db, {"anna", WebUser::Role::Manager, "Sales", HashWebPassword("pass")});
  const std::string cookie = Cookie(LogIn("anna", "pass"));
  const auto only = [&](const std::string& target) {
    const HttpResponse response = Get(target, cookie);
    EXPECT_EQ(response.status, 200) << target;
    EXPECT_NE(response.body.find("petrov"), std::string::npos) << target;
    EXPECT_EQ(response.body.find("il&lt;b&gt;"), std::string::npos) << target;
    EXPECT_EQ(response.body.find("il<b>"), std::string::npos) << target;
    EXPECT_EQ(response.body.find("stranger"), std::string::npos) << target;
  };
  only("/");
  only("/people");
  only("/timesheet?year=2024&month=3");
  // Asking for another department, or for everybody, changes nothing.
  only("/timesheet?year=2024&month=3&department=Sales+");
  only("/timesheet?year=2024&month=3&department=");
  only("/timesheet.csv?year=2024&month=3&department=Sales+");
  for (const char* target :
       {"/person?login=stranger&year=2024&month=3", "/day?login=stranger&date=2024-03-04",
        "/person?login=ev%22il%3Cb%3E&year=2024&month=3", "/collection"})
    EXPECT_EQ(Get(target, cookie).status, 404) << target;
  EXPECT_EQ(Get("/people?q=il", cookie).body.find("il&lt;b&gt;"), std::string::npos);
  // Any path with any two of these: never another department's person.
  const char* paths[] = {"/",          "/people",        "/person",     "/day",
                         "/timesheet", "/timesheet.csv", "/collection", "/../person",
                         "//person",   "/person/"};
  const char* parts[] = {"login=stranger",
                         "login=STRANGER",
                         "login=%73tranger",
                         "login=stranger%00",
                         "login=",
                         "department=Plant",
                         "department=",
                         "date=2024-03-04",
                         "year=2024&month=3",
                         "month=0&year=-1",
                         "q=str",
                         "login=stranger&login=petrov",
                         "%zz=%",
                         "date=2024-3-4"};
  for (const char* path : paths)
    for (const char* first : parts)
      for (const char* second : parts) {
        const std::string target = std::string(path) + "?" + first + "&" + second;
        const HttpResponse response = Get(target, cookie);
        EXPECT_EQ(response.body.find("stranger"), std::string::npos) << target;
        EXPECT_EQ(response.body.find("STRANGER"), std::string::npos) << target;
      }
  // A viewer asks for a department: only its people, totals summed anew.
  const std::string boss = Cookie(LogIn("boss", "right+one"));
  const std::string sales = Get("/timesheet.csv?year=2024&month=3&department=Sales", boss).body;
  EXPECT_EQ(sales.find("stranger"), std::string::npos);
  EXPECT_NE(Get("/timesheet.csv?year=2024&month=3", boss).body.find("stranger"), std::string::npos);
}

TEST_F(WebSiteTest, AccountsAreMadeWithPasswordsFromStandardInput) {
  const auto cli = [&](const std::string& input, const std::string& args) {
    const std::string command = "printf '" + input + "' | VORNAL_DB='" + m_location + "' " +
                                VORNAL_CLI + " web-users " + args + " >/dev/null 2>&1";
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  EXPECT_EQ(cli("first pw\\n", "add anna --role manager --department 'Отдел 1'"), 0);
  std::optional<WebUser> anna = FindWebUser(*m_db, "anna");
  ASSERT_TRUE(anna);
  EXPECT_EQ(anna->role, WebUser::Role::Manager);
  EXPECT_EQ(anna->department, "Отдел 1");
  EXPECT_EQ(anna->passwordHash.rfind("$argon2id$", 0), 0u);
  EXPECT_TRUE(VerifyWebPassword(anna->passwordHash, "first pw"));
  EXPECT_EQ(cli("x\\n", "add anna --role viewer"), 1);              // taken
  EXPECT_EQ(cli("x\\n", "add bob --role manager"), 2);              // no department
  EXPECT_EQ(cli("x\\n", "add bob --role viewer --password x"), 2);  // never on the line
  EXPECT_EQ(cli("", "add bob --role viewer"), 1);                   // no password
  EXPECT_FALSE(FindWebUser(*m_db, "bob"));
  EXPECT_EQ(cli("second pw\\r\\n", "passwd anna"), 0);
  EXPECT_TRUE(VerifyWebPassword(FindWebUser(*m_db, "anna")->passwordHash, "second pw"));
  EXPECT_EQ(cli("", "remove anna"), 0);
  EXPECT_FALSE(FindWebUser(*m_db, "anna"));
  EXPECT_EQ(cli("", "remove anna"), 1);
}

TEST(WebLanguageTest, TheBrowsersPreferenceByWeight) {
  EXPECT_EQ(LanguageOf(""), Lang::Ru);
  EXPECT_EQ(LanguageOf("de-DE, en-GB;q=0.8, ru;q=0.5"), Lang::En);
  EXPECT_EQ(LanguageOf("en;q=0, ru-RU"), Lang::Ru);
  EXPECT_EQ(LanguageOf("fr, *;q=0.1"), Lang::Ru);
}

}  // namespace
}  // namespace vornal::web
