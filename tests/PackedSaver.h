// A customer's saver for the process tests: packed by somnel-pack around the
// test player in a scratch folder of its own, started there with TMP and TEMP
// pointing into it (so the player is extracted beside it), and ended with
// every player it started when the object goes. The build's Somnel.scr,
// somnel-pack and test player are the test target's SOMNEL_SCR,
// SOMNELPACK_EXE and TESTPLAYER_EXE.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "saver/tests/WinTestUtil.h"

class PackedSaver {
 public:
  using Env = std::map<std::string, std::string>;

  // env: what the saver and its players inherit besides the folder's
  // variables; the player's own switches are unset unless given here.
  explicit PackedSaver(const Env& env = {});
  ~PackedSaver();
  PackedSaver(const PackedSaver&) = delete;
  PackedSaver& operator=(const PackedSaver&) = delete;

  std::string operator/(const std::string& name) const { return dir_ / name; }
  std::string Folder() const { return dir_.Path(); }
  std::string SaverPath() const { return dir_ / "Show.scr"; }
  std::string IniPath() const { return dir_ / "Show.ini"; }
  std::string DatPath() const { return dir_ / "Show.dat"; }
  std::string CfgPath() const { return dir_ / "Show.cfg"; }

  // Packs Show.scr from the project text, with somnel-pack's options
  // (pictures) before its arguments.
  bool Pack(const std::string& project, const std::string& options = "");
  // Starts the packed saver (or `program`) in its folder, so that a stray
  // file written to the current directory shows there.
  bool Start(const std::string& arguments, const std::string& program = "");
  DWORD Pid() const { return info_.dwProcessId; }
  bool Running() const;
  bool WaitForEnd();
  DWORD ExitCode() const;

  std::string Log() const;
  // The values of every "event value" line of the player's log ("" for a
  // line of the event alone).
  std::vector<std::string> Events(const std::string& event) const;
  bool WaitForEvents(const std::string& event, size_t count = 1);
  std::vector<DWORD> PlayerPids() const;
  // The player's window, as the player logged it.
  HWND PlayerWindow() const;

  // A saver still running at the end fails the test unless this was said.
  void MayStayRunning() { mayStayRunning_ = true; }
  // Another process to end with the saver.
  void AlsoEnd(DWORD pid) { extraPids_.push_back(pid); }

 private:
  wintest::ScratchDir dir_;  // made before TMP points into it, removed last
  wintest::EnvOverride env_;
  bool started_ = false;
  bool mayStayRunning_ = false;
  PROCESS_INFORMATION info_{};
  std::vector<DWORD> extraPids_;
};
