// The builder's checks that the saver will be able to use what it packs:
// each picture read by the saver's own BMP reader, and SAVER being the bare
// generic saver.
#pragma once

#include <string>
#include <vector>

// Why the saver's reader (the one its preview and settings dialog use)
// cannot show the BMP in bytes, or would show pixels the file does not
// hold; empty when it can show it. The caller has checked that it looks
// like a BMP file.
std::string PackagePictureProblem(const std::vector<char>& bytes);

// Why the Windows program at path is not the bare generic saver, or empty.
// The generic saver is recognised by the two dialogs every saver carries
// and shows, the settings dialog (resource 1000) and the close notice
// (1001); a program without them (a player, another tool) is not the saver.
// The caller has refused a program that already carries a package.
std::string BareSaverProblem(const std::string& path);
