// Runs generated scripts through the script host on the simulated platform:
// action tables with every row kind, odd fields, names and numbers, nested
// tables and metatables, and the eight functions called with them. The
// sanitizers judge; the host must come back from every script.
#include <fuzzer/FuzzedDataProvider.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/registry.h"
#include "engine/script_host.h"
#include "platform/sim/sim_platform.h"

namespace {

const char* const kKinds[] = {"按键", "按下", "弹起", "粘贴文字", "刷新网址", "鼠标移动", "左键单击",
                              "右键单击", "中键单击", "左键双击", "左键按下", "左键弹起", "右键按下",
                              "右键弹起", "中键按下", "中键弹起", "找颜色点动作", "找图像动作", "按建"};
const char* const kPieces[] = {"A", "Ctrl", "Shift", "Alt", "F11", "Num 5", "上", "Enter", "0", "1", "-1", "0.5",
                               "1e999", "-1e999", "2147483648", "nan", "绝对", "相对", "100", "200", "",
                               " ", "\\\\n", "，", "中", "http://x", "a+b", "\xFF", "\x81"};
const char* const kNames[] = {"T", "U", "动作_1", "颜色点列表_a", "x", "_G", "a\\0b", ""};
const char* const kFunctions[] = {"重复动作", "找颜色点条件", "找颜色点动作", "找图像条件",
                                  "找图像动作", "窗口操作", "中文"};
const char* const kArgs[] = {"\"T\"", "\"U\"", "\"0\"", "\"全屏\"", "\"活动\"", "\"固定\"", "\"0,0,100,100\"",
                             "\"1,2\"", "\"优先\"", "\"左上角\"", "\"置顶\"", "\"x.bmp\"", "0", "1", "0.01",
                             "-5", "1e300", "nil", "{}", "\"找颜色点条件(T)\"", "\"窗口操作(U)\"", "true"};

// A Lua string literal holding the bytes.
std::string Quote(const std::string& bytes) {
  std::string out = "\"";
  for (unsigned char c : bytes) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      out += "\\" + std::to_string(c);
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

template <size_t N>
const char* Pick(FuzzedDataProvider& in, const char* const (&list)[N]) {
  return list[in.ConsumeIntegralInRange<size_t>(0, N - 1)];
}

std::string Field(FuzzedDataProvider& in) {
  std::string field;
  const int pieces = in.ConsumeIntegralInRange(0, 5);
  for (int i = 0; i < pieces; ++i) {
    if (i) field += in.ConsumeBool() ? "," : "+";
    field += in.ConsumeBool() ? Pick(in, kPieces) : in.ConsumeRandomLengthString(6);
  }
  return field;
}

std::string Row(FuzzedDataProvider& in, int depth) {
  switch (in.ConsumeIntegralInRange(0, 6)) {
    case 0: return "1";
    case 1: return depth < 2 ? "{" + Row(in, depth + 1) + "}" : "{}";
    case 2: return "{" + Quote(Pick(in, kKinds)) + "}";
    case 3: return "{" + Quote(Pick(in, kKinds)) + "," + Quote(Field(in)) + "," + Quote(Field(in)) + "}";
    default: return "{" + Quote(Pick(in, kKinds)) + "," + Quote(Field(in)) + "}";
  }
}

std::string Table(FuzzedDataProvider& in) {
  std::string table = "{";
  const int rows = in.ConsumeIntegralInRange(0, 6);
  for (int i = 0; i < rows; ++i) {
    if (in.ConsumeBool()) {
      table += Row(in, 0) + ",";
    } else {  // a colour-point row
      table += "{" + std::to_string(in.ConsumeIntegral<int16_t>()) + "," + std::to_string(in.ConsumeIntegral<int16_t>()) +
               "," + Quote(Pick(in, kPieces)) + "," + std::to_string(in.ConsumeIntegral<uint32_t>()) + "},";
    }
  }
  return table + "}";
}

std::string Call(FuzzedDataProvider& in) {
  std::string call = std::string(Pick(in, kFunctions)) + "(";
  const int args = in.ConsumeIntegralInRange(0, 7);
  for (int i = 0; i < args; ++i) {
    if (i) call += ",";
    call += in.ConsumeBool() ? Pick(in, kArgs) : Quote(Field(in));
  }
  return call + ")";
}

std::string Script(FuzzedDataProvider& in) {
  std::string script;
  const int statements = in.ConsumeIntegralInRange(1, 10);
  for (int i = 0; i < statements && in.remaining_bytes() > 0; ++i) {
    const std::string name = Quote(Pick(in, kNames));
    switch (in.ConsumeIntegralInRange(0, 5)) {
      case 0:
      case 1: script += "_G[" + name + "] = " + Table(in); break;
      case 2:  // a table whose rows come through a metamethod that calls back
        script += "_G[" + name + "] = setmetatable(" + Table(in) + ", {__index = function() " + Call(in) +
                  " return " + Row(in, 0) + " end})";
        break;
      default: script += "pcall(function() " + Call(in) + " end)"; break;
    }
    script += "\r\n";
  }
  return script;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                                  "/tora_script_fuzz_" + std::to_string(getpid()) + ".txt";
  FuzzedDataProvider in(data, size);
  const std::string script = Script(in);
  if (FILE* f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(script.data(), 1, script.size(), f);
    std::fclose(f);
  } else {
    return 0;
  }
  // One platform for every run: making its screen anew each time would cost
  // more than the script. Each start empties the registry and the status.
  static tora::SimPlatform& sim = [] () -> tora::SimPlatform& {
    static tora::SimPlatform platform;
    platform.RunThreads(false);
    platform.KeepTrace(false);
    platform.SetScreenSize(320, 200);
    platform.SetScriptPath(path);
    return platform;
  }();
  static tora::ActionRegistry registry;
  static tora::ScriptHost host(registry, sim.platform());
  host.SetScriptTimeLimit(1000);
  host.RunScript();
  host.StopScript();
  host.JoinWorkers();
  return 0;
}
