// tora-check from the outside: GBK script files in, exit status and UTF-8
// JSON out.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/texts.h"
#include "platform/text.h"

namespace tora {
namespace {

// Just enough JSON to read tora-check's report.
struct Json {
  enum Type { Null, Bool, Number, String, Array, Object } type = Null;
  bool boolean = false;
  double number = 0;
  std::string text;
  std::vector<Json> items;
  std::map<std::string, Json> fields;

  const Json& operator[](const std::string& key) const {
    static const Json kNull;
    auto it = fields.find(key);
    return it == fields.end() ? kNull : it->second;
  }
  const Json& operator[](size_t i) const {
    static const Json kNull;
    return i < items.size() ? items[i] : kNull;
  }
  size_t size() const { return type == Array ? items.size() : fields.size(); }
};

class JsonReader {
 public:
  explicit JsonReader(const std::string& s) : s_(s) {}
  bool Read(Json& out) {
    if (!Value(out)) return false;
    Blank();
    return i_ == s_.size();
  }

 private:
  void Blank() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t')) ++i_;
  }
  bool Eat(char c) {
    Blank();
    if (i_ < s_.size() && s_[i_] == c) return ++i_, true;
    return false;
  }
  bool Word(const char* w, Json& out, Json::Type type, bool value) {
    const std::string word(w);
    if (s_.compare(i_, word.size(), word) != 0) return false;
    i_ += word.size();
    out.type = type;
    out.boolean = value;
    return true;
  }
  bool Str(std::string& out) {
    if (!Eat('"')) return false;
    while (i_ < s_.size() && s_[i_] != '"') {
      char c = s_[i_++];
      if (c == '\\') {
        if (i_ >= s_.size()) return false;
        c = s_[i_++];
        switch (c) {
          case 'n': out += '\n'; break;
          case 'r': out += '\r'; break;
          case 't': out += '\t'; break;
          case 'u': {
            if (i_ + 4 > s_.size()) return false;
            const long code = std::strtol(s_.substr(i_, 4).c_str(), nullptr, 16);
            i_ += 4;
            if (code >= 0x80) return false;  // the report escapes control bytes only
            out += static_cast<char>(code);
            break;
          }
          default: out += c;
        }
      } else {
        out += c;
      }
    }
    return Eat('"');
  }
  bool Value(Json& out) {
    Blank();
    if (i_ >= s_.size()) return false;
    const char c = s_[i_];
    if (c == '{') {
      ++i_;
      out.type = Json::Object;
      if (Eat('}')) return true;
      do {
        std::string key;
        Json value;
        if (!Str(key) || !Eat(':') || !Value(value)) return false;
        out.fields[key] = std::move(value);
      } while (Eat(','));
      return Eat('}');
    }
    if (c == '[') {
      ++i_;
      out.type = Json::Array;
      if (Eat(']')) return true;
      do {
        Json value;
        if (!Value(value)) return false;
        out.items.push_back(std::move(value));
      } while (Eat(','));
      return Eat(']');
    }
    if (c == '"') {
      out.type = Json::String;
      return Str(out.text);
    }
    if (c == 't') return Word("true", out, Json::Bool, true);
    if (c == 'f') return Word("false", out, Json::Bool, false);
    if (c == 'n') return Word("null", out, Json::Null, false);
    char* end = nullptr;
    out.number = std::strtod(s_.c_str() + i_, &end);
    if (end == s_.c_str() + i_) return false;
    out.type = Json::Number;
    i_ = static_cast<size_t>(end - s_.c_str());
    return true;
  }

  const std::string& s_;
  size_t i_ = 0;
};

std::string U8(const char* gbk) { return GbkToUtf8(gbk); }

struct CheckResult {
  int status = -1;  // exit status; -1 when the process did not exit normally
  std::string out;
  std::string err;
  Json report;
  bool report_ok = false;
  double seconds = 0;
};

class ToraCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = ::testing::TempDir() + "tora_check_XXXXXX";
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    ASSERT_NE(mkdtemp(buffer.data()), nullptr);
    dir_ = buffer.data();
  }
  void TearDown() override {
    for (const std::string& f : files_) std::remove(f.c_str());
    std::remove((dir_ + "/err").c_str());
    rmdir(dir_.c_str());
  }

  std::string Write(const std::string& name, const std::string& bytes) {
    const std::string path = dir_ + "/" + name;
    std::ofstream(path, std::ios::binary) << bytes;
    files_.push_back(path);
    return path;
  }

  // Sanitizer reports get exit codes of their own, so that a crash can never
  // pass for the ordinary exit status 1.
  CheckResult Check(const std::string& args) {
    CheckResult r;
    const std::string err = dir_ + "/err";
    const std::string command = "ASAN_OPTIONS=exitcode=86 UBSAN_OPTIONS=exitcode=87:halt_on_error=1 '" +
                                std::string(TORA_CHECK_EXE) + "' " + args + " 2>'" + err + "'";
    const auto start = std::chrono::steady_clock::now();
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return r;
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0) r.out.append(chunk, n);
    const int status = pclose(pipe);
    r.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (WIFEXITED(status)) r.status = WEXITSTATUS(status);
    std::ifstream in(err, std::ios::binary);
    r.err.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    r.report_ok = JsonReader(r.out).Read(r.report);
    return r;
  }
  CheckResult CheckScript(const std::string& gbk, const std::string& options = "") {
    return Check(options + " '" + Write("script.txt", gbk) + "'");
  }

  std::string dir_;
  std::vector<std::string> files_;
};

TEST_F(ToraCheckTest, ReportsWhatAScriptRegistered) {
  const CheckResult r = CheckScript(
      "动作_1 = {{\"按键\",\"Ctrl+V,1\"},{\"左键单击\",\"100,200,绝对,0.5\"},{\"粘贴文字\",\"甲\\\\r\\\\n乙,1\"}}\n"
      "重复动作(\"动作_1\",0.1,\"0\",\"0\",\"优先\",3)\n");
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_TRUE(r.report_ok) << r.out;
  const Json& j = r.report;
  EXPECT_TRUE(j["running"].boolean);
  ASSERT_EQ(j["status"].size(), 3u);
  EXPECT_EQ(j["status"][0].text, U8(texts::kRunningLine));
  ASSERT_EQ(j["key_steps"].size(), 1u);
  EXPECT_EQ(j["key_steps"][0]["mode"].number, 1);
  ASSERT_EQ(j["key_steps"][0]["keys"].size(), 2u);
  EXPECT_EQ(j["key_steps"][0]["keys"][0].number, 17);
  EXPECT_EQ(j["key_steps"][0]["keys"][1].number, 86);
  EXPECT_EQ(j["key_steps"][0]["pause"].number, 1000);
  EXPECT_EQ(j["mouse_steps"][0]["press"].number, 2);
  EXPECT_EQ(j["mouse_steps"][0]["release"].number, 4);
  EXPECT_EQ(j["mouse_steps"][0]["pause"].number, 500);
  EXPECT_EQ(j["paste_text_steps"][0]["text"].text, U8("甲\r\n乙"));
  ASSERT_EQ(j["priority_tasks"].size(), 1u);
  EXPECT_EQ(j["priority_tasks"][0]["interval"].number, 100);
  EXPECT_EQ(j["priority_tasks"][0]["count_limit"].number, 3);
  EXPECT_EQ(j["priority_tasks"][0]["condition"].type, Json::Null);
  ASSERT_EQ(j["action_lists"][0]["steps"].size(), 3u);
  EXPECT_EQ(j["action_lists"][0]["steps"][2][0].number, 4);
  EXPECT_EQ(j["ordinary_tasks"].size(), 0u);
}

TEST_F(ToraCheckTest, StartsThatEndBeforeTheScriptRuns) {
  CheckResult r = CheckScript("");
  EXPECT_EQ(r.status, 1);
  ASSERT_TRUE(r.report_ok) << r.out;
  ASSERT_EQ(r.report["messages"].size(), 1u);
  EXPECT_EQ(r.report["messages"][0].text, U8(texts::kScriptEmpty));
  EXPECT_EQ(r.report["status"].size(), 0u);

  r = Check("'" + dir_ + "/没有.txt'");
  EXPECT_EQ(r.status, 1);
  ASSERT_TRUE(r.report_ok) << r.out;
  EXPECT_EQ(r.report["messages"][0].text, U8(texts::kScriptNotFound));

  EXPECT_EQ(Check("").status, 2);
  EXPECT_EQ(Check("--screen 0x0 x.txt").status, 2);
}

TEST_F(ToraCheckTest, SyntaxErrorGivesItsLine) {
  const CheckResult r = CheckScript("x = 1\ny = 2\nz = = 3\n");
  EXPECT_EQ(r.status, 1);
  ASSERT_TRUE(r.report_ok) << r.out;
  const Json& status = r.report["status"];
  ASSERT_EQ(status.size(), 2u);
  EXPECT_EQ(status[0].text, U8(texts::kSyntaxError));
  EXPECT_EQ(status[1].text.rfind(U8(texts::kErrorLinePrefix) + "3:", 0), 0u) << status[1].text;
  EXPECT_FALSE(r.report["running"].boolean);
}

TEST_F(ToraCheckTest, NothingRunnableStopsAtOnce) {
  const CheckResult r = CheckScript("local x = 1\n");
  EXPECT_EQ(r.status, 0);
  ASSERT_TRUE(r.report_ok) << r.out;
  const Json& status = r.report["status"];
  ASSERT_EQ(status.size(), 2u);
  EXPECT_EQ(status[0].text, U8(texts::kStoppedLine));
  EXPECT_EQ(status[1].text, U8(texts::kNothingRuns));
  EXPECT_FALSE(r.report["running"].boolean);
}

TEST_F(ToraCheckTest, RuntimeErrorKeepsWhatWasRegistered) {
  const CheckResult r = CheckScript(
      "T = {{\"按键\",\"A,0\"}}\n"
      "重复动作(\"T\",1,\"0\",\"0\",\"0\",0)\n"
      "重复动作(\"缺少\",1,\"0\",\"0\",\"0\",0)\n"
      "重复动作(\"T\",1,\"0\",\"0\",\"0\",0)\n");
  EXPECT_EQ(r.status, 0);
  ASSERT_TRUE(r.report_ok) << r.out;
  EXPECT_EQ(r.report["ordinary_tasks"].size(), 1u);
  EXPECT_TRUE(r.report["running"].boolean);
  const Json& status = r.report["status"];
  ASSERT_GE(status.size(), 2u);
  EXPECT_EQ(status[0].text, U8(texts::kRuntimeError));
  EXPECT_EQ(status[1].text.rfind(U8(texts::kErrorLinePrefix) + "3:", 0), 0u) << status[1].text;
  EXPECT_NE(status[1].text.find(U8("缺少")), std::string::npos) << status[1].text;
}

TEST_F(ToraCheckTest, EndlessScriptsEndByTheTimeLimit) {
  for (const char* script : {"while true do end\n",
                             "while true do pcall(function() while true do end end) end\n",
                             "T = {{\"按键\",\"A,0\"}}\nwhile true do pcall(重复动作, \"无\",1,\"0\",\"0\",\"0\",0) end\n",
                             "等待(100000000)\n"}) {
    SCOPED_TRACE(script);
    const CheckResult r = CheckScript(script, "--time-limit 300");
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_TRUE(r.report_ok) << r.out;
    EXPECT_NE(r.err.find("300 ms"), std::string::npos) << r.err;
    EXPECT_LT(r.seconds, 60.0) << "the limit did not end the script";
  }
}

TEST_F(ToraCheckTest, HugeTableIsReadWhole) {
  std::string script = "T = {\n";
  for (int i = 0; i < 20000; ++i) script += "{\"按键\",\"A+B,0.5\"},\n";
  script += "}\n重复动作(\"T\",1,\"0\",\"0\",\"0\",0)\n";
  const CheckResult r = CheckScript(script);
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_TRUE(r.report_ok);
  EXPECT_EQ(r.report["key_steps"].size(), 20000u);
  EXPECT_EQ(r.report["action_lists"][0]["steps"].size(), 20000u);
}

TEST_F(ToraCheckTest, HugeOrBinaryFilesDoNotCrash) {
  // 32 MiB of one comment line.
  CheckResult r = CheckScript("--" + std::string(32u << 20, 'x'));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.report_ok);

  std::string noise(1u << 20, '\0');
  uint32_t seed = 12345;
  for (char& c : noise) {
    seed = seed * 1103515245u + 12345u;
    c = static_cast<char>(seed >> 24);
  }
  r = CheckScript(noise);
  EXPECT_EQ(r.status, 1) << r.err;
  ASSERT_TRUE(r.report_ok);
  EXPECT_EQ(r.report["status"][0].text, U8(texts::kSyntaxError));

  // A precompiled chunk is refused as text, never run.
  r = CheckScript("\x1bLua\x52" + std::string(64, '\xff'));
  EXPECT_EQ(r.status, 1) << r.err;
  ASSERT_TRUE(r.report_ok);
  EXPECT_EQ(r.report["status"][0].text, U8(texts::kSyntaxError));

  // Strings full of NULs and broken GBK reach the reader unharmed.
  std::string script = "T = {{\"\xB0\",\"\xB0,";
  script += std::string(2, '\0');
  script += "\"},{\"粘贴文字\",\"\xB0\\\\r\\\\n\"},{\"按键\",\"";
  script += std::string(1, '\0');
  script += "+\xB0+A,1\"}}\n重复动作(\"T\",1,\"\xB0\",\"\xB0\",\"0\",0)\n";
  r = CheckScript(script);
  EXPECT_EQ(r.status, 0) << r.err;
  ASSERT_TRUE(r.report_ok) << r.out;
  EXPECT_EQ(r.report["ordinary_tasks"].size(), 1u);
  ASSERT_EQ(r.report["key_steps"].size(), 1u);
  EXPECT_EQ(r.report["key_steps"][0]["keys"].size(), 3u);
}

}  // namespace
}  // namespace tora
