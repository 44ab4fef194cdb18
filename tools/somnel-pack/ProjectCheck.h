// What somnel-pack tells a builder about a project file: the lines that the
// saver's project-key reader would ignore or read otherwise than meant, and
// settings that contradict each other. OS-free: it reads the project's text
// the way the system's profile functions do (sections and keys without
// regard to case, blanks around names and values dropped, one pair of quotes
// around a value dropped, the first section of a name and its first key of a
// name the ones read), so it is tested natively.
#pragma once

#include <string>
#include <vector>

struct ProjectNote {
  int line;  // 1 for the first line; 0: the file as a whole
  std::string text;
};

// The notes in the order of their lines (notes on the whole file last).
// Key names and command lengths are not judged here: somnel-pack refuses
// those outright (IsValidKeyName, kMaxCommandLength).
std::vector<ProjectNote> CheckProjectText(const std::string& text);

// "project.ini:4: text", or "project.ini: text" for the whole file.
std::string FormatProjectNote(const std::string& file, const ProjectNote& note);
