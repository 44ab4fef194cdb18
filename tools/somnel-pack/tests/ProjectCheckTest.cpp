#include "tools/somnel-pack/ProjectCheck.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
  const char* project;
  std::vector<std::string> notes;  // as somnel-pack prints them after "somnel-pack: "
};

const Case kCases[] = {
    // Sound projects that read as meant: nothing to say.
    {"[Settings]\r\nRunPreview=1\r\nThreeWaySound=1\r\n[Interactive]\r\nKey1=Esc\r\nOnKey=1\r\n"
     "[Execute]\r\nKey1=F1\r\nCommand1=notepad.exe\r\n",
     {}},
    {"; a comment\n[settings]\n  forcemaximize = 1  \nExternal=\"1\"\nRunPreview=-2\n", {}},
    {"[Settings]\nRunPreview=0x10\n",
     {"p.ini:2: RunPreview=0x10 is not a decimal number (0 is off, any other number on); it "
      "reads as 16, on"}},
    {"[Settings]\nForceMaximise=1\n",
     {"p.ini:2: ForceMaximise is not a key of [Settings] (did you mean ForceMaximize?); it is "
      "ignored"}},
    {"[Settings]\nVolume=3\n",
     {"p.ini:2: Volume is not a key of [Settings] (it has External, ForceMaximize, RunPreview, "
      "TwoWaySound, ThreeWaySound); it is ignored"}},
    {"[Setings]\nRunPreview=1\n",
     {"p.ini:1: [Setings] is not a project section (did you mean [Settings]?); its keys are "
      "ignored"}},
    {"[ Execute ]\nKey1=F1\n",
     {"p.ini:1: [ Execute ] is not a project section (did you mean [Execute]?); its keys are "
      "ignored"}},
    {"[Colours]\nRed=1\n",
     {"p.ini:1: [Colours] is not a project section ([Settings], [Interactive] or [Execute]); its "
      "keys are ignored"}},
    {"[Settings\nRunPreview=1\n",
     {"p.ini:1: [Settings has no closing ], so it starts no section; the line is ignored",
      "p.ini:2: RunPreview=1 comes before any section; it is ignored"}},
    {"[Settings]\nRunPreview=yes\n",
     {"p.ini:2: RunPreview=yes is not a decimal number (0 is off, any other number on); it reads "
      "as 0, "
      "off"}},
    {"[Interactive]\nOnMouse=1x\n",
     {"p.ini:2: OnMouse=1x is not a decimal number (0 is off, any other number on); it reads as 1, "
      "on"}},
    {"[Settings]\nExternal=\n", {"p.ini:2: External has no value; it reads as 0, off"}},
    {"[Settings]\nRunPreview\n", {"p.ini:2: RunPreview has no \"=\"; it reads as an empty value"}},
    {"[Interactive]\nKey25=a\nOnKey=1\n",
     {"p.ini:2: Key25 is not a key of [Interactive] (it has Key1 to Key20, OnMouse, OnKey); it "
      "is ignored"}},
    {"[Execute]\nKey5=a\nCommand5=x\n",
     {"p.ini:2: Key5 is not a key of [Execute] (it has Key1 to Key4, Command1 to Command4); it is "
      "ignored",
      "p.ini:3: Command5 is not a key of [Execute] (it has Key1 to Key4, Command1 to Command4); "
      "it is ignored"}},
    {"",
     {"p.ini: the project is empty: the saver is made with every setting off, no keys and no "
      "commands"}},
    {"\xef\xbb\xbf\r\n; nothing but a comment\r\n\r\n",
     {"p.ini: the project is empty: the saver is made with every setting off, no keys and no "
      "commands"}},
    {"[Settings]\nTwoWaySound=1\nThreeWaySound=1\n",
     {"p.ini:3: TwoWaySound (line 2) and ThreeWaySound (line 3) are both on: TwoWaySound wins, "
      "and the settings dialog offers only \"Mute Sound\""}},
    {"[Settings]\nThreeWaySound=2\nTwoWaySound=-1\n",
     {"p.ini:3: TwoWaySound (line 3) and ThreeWaySound (line 2) are both on: TwoWaySound wins, "
      "and the settings dialog offers only \"Mute Sound\""}},
    // "yes" reads as 0: no contradiction, but the value is named.
    {"[Settings]\nTwoWaySound=1\nThreeWaySound=yes\n",
     {"p.ini:3: ThreeWaySound=yes is not a decimal number (0 is off, any other number on); it "
      "reads as "
      "0, off"}},
    {"[Settings]\nRunPreview=1\nRunPreview=0\n",
     {"p.ini:3: RunPreview again (first at line 2): only the first is read, so this one is "
      "ignored"}},
    {"[Settings]\nRunPreview=1\n[Interactive]\nOnKey=1\n[SETTINGS]\nExternal=1\n",
     {"p.ini:5: [SETTINGS] again (first at line 1): only the first [Settings] is read, so the "
      "keys below are ignored"}},
    {"Key1=F1\n[Execute]\n", {"p.ini:1: Key1=F1 comes before any section; it is ignored"}},
    {"[Interactive]\nKey1=Esc\nKey2=v\n",
     {"p.ini:2: [Interactive] Key1 and the other keys of the list count only with OnKey=1, and "
      "OnKey is off"}},
    {"[Interactive]\nOnKey=1\nKey1=\nKey3=v\n",
     {"p.ini:4: [Interactive] Key1 is empty, so with OnKey every key hands the movie over; Key3 "
      "and the keys after it are not looked at"}},
    {"[Execute]\nKey2=F2\nCommand3=calc.exe\n",
     {"p.ini:2: [Execute] Key2=F2 has no Command2, so the key runs nothing",
      "p.ini:3: [Execute] Command3 has no Key3, so it never runs"}},
    {"[Execute]\nKey1=Escape\nCommand1=a.exe\nKey3=esc\nCommand3=b.exe\n",
     {"p.ini:4: [Execute] Key3=esc is the same key as Key1 (line 2): that one's command runs, "
      "Command3 never does"}},
};

TEST(ProjectCheck, EachLineIsReportedAsTheSaverWouldReadIt) {
  for (const Case& c : kCases) {
    std::vector<std::string> got;
    for (const ProjectNote& note : CheckProjectText(c.project))
      got.push_back(FormatProjectNote("p.ini", note));
    EXPECT_EQ(c.notes, got) << "project:\n" << c.project;
  }
}

TEST(ProjectCheck, Utf16TextIsNamedNotMisread) {
  const std::string text("\xff\xfe[\0S\0", 6);
  const std::vector<ProjectNote> notes = CheckProjectText(text);
  ASSERT_EQ(1u, notes.size());
  EXPECT_EQ("p.ini: is UTF-16 text; the project was not checked",
            FormatProjectNote("p.ini", notes[0]));
}

}  // namespace
