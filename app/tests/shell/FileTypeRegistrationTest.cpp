#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <stdexcept>

#include "FileTypeRegistration.h"

namespace {

class FakeClassesRoot : public IClassesRoot {
public:
  void SetDefaultValue(const std::wstring& key, const std::wstring& value) override {
    if (key == failOn) throw ERegistryWriteError("refused");
    values[key] = value;
  }
  void DeleteTree(const std::wstring& key) override {
    for (auto it = values.begin(); it != values.end();) {
      const bool inside = it->first == key || it->first.rfind(key + L"\\", 0) == 0;
      it = inside ? values.erase(it) : std::next(it);
    }
  }
  std::map<std::wstring, std::wstring> values;
  std::wstring failOn;
};

const std::wstring kExe = L"C:\\Program Files\\Vell\\reader.exe";

TEST(ParseSetupSwitch, OnlyALoneSwitchCounts) {
  const std::pair<std::vector<std::wstring>, TSetupSwitch> cases[] = {
      {{L"-I"}, TSetupSwitch::Install},   {{L"-i"}, TSetupSwitch::Install},
      {{L"-R"}, TSetupSwitch::Remove},    {{L"-r"}, TSetupSwitch::Remove},
      {{}, TSetupSwitch::None},           {{L"-I", L"book.vlq"}, TSetupSwitch::None},
      {{L"-Install"}, TSetupSwitch::None}, {{L"/I"}, TSetupSwitch::None},
      {{L"-s"}, TSetupSwitch::None},      {{L"I"}, TSetupSwitch::None},
  };
  for (const auto& [arguments, expected] : cases) {
    EXPECT_EQ(ParseSetupSwitch(arguments), expected) << (arguments.empty() ? L"" : arguments[0]).size();
  }
}

TEST(RegisterFileType, WritesExactlyTheThreeValuesAndNotifies) {
  FakeClassesRoot root;
  int notified = 0;
  EXPECT_FALSE(HandleSetupSwitch({L"-i"}, root, kExe, [&] { ++notified; }));
  const std::map<std::wstring, std::wstring> expected = {
      {L".vlq", L"VellReader.vlq"},
      {L"VellReader.vlq\\shell\\open\\command", L"\"C:\\Program Files\\Vell\\reader.exe\" -s\"%1\""},
      {L"VellReader.vlq\\DefaultIcon", L"\"C:\\Program Files\\Vell\\reader.exe\",0"},
  };
  EXPECT_EQ(root.values, expected);
  EXPECT_EQ(notified, 1);

  EXPECT_FALSE(HandleSetupSwitch({L"-I"}, root, kExe, [&] { ++notified; }));
  EXPECT_EQ(root.values, expected);  // registering twice changes nothing
}

TEST(UnregisterFileType, RemovesOnlyTheAssociationAndIsQuietWhenAbsent) {
  FakeClassesRoot root;
  root.values[L".zip"] = L"OtherProgram.zip";
  RegisterFileType(root, kExe, {});
  int notified = 0;
  EXPECT_FALSE(HandleSetupSwitch({L"-R"}, root, kExe, [&] { ++notified; }));
  EXPECT_EQ(root.values, (std::map<std::wstring, std::wstring>{{L".zip", L"OtherProgram.zip"}}));
  EXPECT_NO_THROW(HandleSetupSwitch({L"-r"}, root, kExe, [&] { ++notified; }));
  EXPECT_EQ(notified, 2);
}

TEST(RegisterFileType, FailedWriteRaisesBeforeTheShellHears) {
  FakeClassesRoot root;
  root.failOn = L"VellReader.vlq\\DefaultIcon";
  bool notified = false;
  EXPECT_THROW(HandleSetupSwitch({L"-I"}, root, kExe, [&] { notified = true; }), ERegistryWriteError);
  EXPECT_FALSE(notified);
}

TEST(HandleSetupSwitch, OtherCommandLinesStartTheWindowAndTouchNothing) {
  FakeClassesRoot root;
  for (const std::vector<std::wstring>& arguments :
       {std::vector<std::wstring>{}, {L"-I", L"x.vlq"}, {L"-sC:\\a.vlq"}}) {
    EXPECT_TRUE(HandleSetupSwitch(arguments, root, kExe, [] { FAIL(); }));
  }
  EXPECT_TRUE(root.values.empty());
}

TEST(GuardSetupSwitch, AFailedSwitchEndsWithoutWindowAndSaysWhy) {
  struct Case {
    const char* name;
    std::function<bool()> handle;
    TSetupSwitchOutcome expected;
    std::vector<std::string> reported;
  } cases[] = {
      {"no switch", [] { return true; }, {true, 0}, {}},
      {"switch handled", [] { return false; }, {false, 0}, {}},
      {"registry refused",
       []() -> bool {
         FakeClassesRoot root;
         root.failOn = L".vlq";
         return HandleSetupSwitch({L"-I"}, root, kExe, {});
       },
       {false, kExitRegistryWriteFailed},
       {"refused"}},
      {"anything else", []() -> bool { throw 42; }, {false, kExitRegistryWriteFailed},
       {"The file type could not be registered."}},
  };
  for (const Case& c : cases) {
    std::vector<std::string> reported;
    const TSetupSwitchOutcome outcome = GuardSetupSwitch(c.handle, [&](const std::string& m) { reported.push_back(m); });
    EXPECT_EQ(outcome.startUserInterface, c.expected.startUserInterface) << c.name;
    EXPECT_EQ(outcome.exitCode, c.expected.exitCode) << c.name;
    EXPECT_EQ(reported, c.reported) << c.name;
  }
  const auto throwingReport = [](const std::string&) { throw std::runtime_error("no console"); };
  EXPECT_EQ(GuardSetupSwitch([]() -> bool { throw std::runtime_error("x"); }, throwingReport).exitCode,
            kExitRegistryWriteFailed);
}

}  // namespace
