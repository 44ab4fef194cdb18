#include "tests/PackedSaver.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>

namespace {

const std::string kSaver = wintest::WinPath(SOMNEL_SCR);
const std::string kPack = wintest::WinPath(SOMNELPACK_EXE);
const std::string kPlayer = wintest::WinPath(TESTPLAYER_EXE);

PackedSaver::Env WithFolder(PackedSaver::Env env, const std::string& folder) {
  env["TMP"] = folder;
  env["TEMP"] = folder;
  env["SOMNEL_PLAYER_LOG"] = folder + "\\player.log";
  for (const char* name : {"SOMNEL_PLAYER_QUIT_AFTER_MS", "SOMNEL_PLAYER_NO_WINDOW",
                           "SOMNEL_PLAYER_IGNORE_CLOSE", "SOMNEL_PLAYER_START_DELAY_MS"})
    env.emplace(name, "");  // unset unless the test sets it
  return env;
}

}  // namespace

PackedSaver::PackedSaver(const Env& env) : env_(WithFolder(env, dir_.Path())) {}

PackedSaver::~PackedSaver() {
  if (started_) {
    if (Running()) {
      if (!mayStayRunning_) ADD_FAILURE() << "the saver was still running at the end of the test";
      TerminateProcess(info_.hProcess, 99);
      WaitForSingleObject(info_.hProcess, wintest::kPatienceMs);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
  }
  for (DWORD pid : PlayerPids()) wintest::EndProcess(pid);
  for (DWORD pid : extraPids_) wintest::EndProcess(pid);
}

bool PackedSaver::Pack(const std::string& project, const std::string& options) {
  const std::string projectPath = dir_ / "project.ini";
  if (!wintest::WriteFileText(projectPath, project)) return false;
  std::string line = "\"" + kPack + "\" ";
  if (!options.empty()) line += options + " ";
  line += "\"" + kSaver + "\" \"" + projectPath + "\" \"" + kPlayer + "\" \"" + SaverPath() + "\"";
  const wintest::ChildResult result = wintest::RunChild(line, {}, "", dir_ / "pack.txt");
  return result.finished && result.exitCode == 0 && wintest::Exists(SaverPath());
}

bool PackedSaver::Start(const std::string& arguments, const std::string& program) {
  const std::string path = program.empty() ? SaverPath() : program;
  std::string line = "\"" + path + "\" " + arguments;
  std::vector<char> buffer(line.begin(), line.end());
  buffer.push_back('\0');
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  started_ = CreateProcessA(path.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                            dir_.Path().c_str(), &startup, &info_) != FALSE;
  return started_;
}

bool PackedSaver::Running() const {
  return WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

bool PackedSaver::WaitForEnd() {
  return wintest::WaitFor([this] { return !Running(); });
}

DWORD PackedSaver::ExitCode() const {
  DWORD code = 12345;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

std::string PackedSaver::Log() const {
  return wintest::ReadFileText(dir_ / "player.log");
}

std::vector<std::string> PackedSaver::Events(const std::string& event) const {
  std::vector<std::string> values;
  for (const std::string& line : wintest::Lines(Log())) {
    if (line == event)
      values.push_back("");
    else if (line.compare(0, event.size() + 1, event + " ") == 0)
      values.push_back(line.substr(event.size() + 1));
  }
  return values;
}

bool PackedSaver::WaitForEvents(const std::string& event, size_t count) {
  return wintest::WaitFor([&] { return Events(event).size() >= count; });
}

std::vector<DWORD> PackedSaver::PlayerPids() const {
  std::vector<DWORD> pids;
  for (const std::string& value : Events("start"))
    pids.push_back(static_cast<DWORD>(std::strtoul(value.c_str(), nullptr, 10)));
  return pids;
}

HWND PackedSaver::PlayerWindow() const {
  const std::vector<std::string> windows = Events("window");
  if (windows.empty()) return nullptr;
  return reinterpret_cast<HWND>(
      static_cast<uintptr_t>(std::strtoull(windows.back().c_str(), nullptr, 10)));
}
