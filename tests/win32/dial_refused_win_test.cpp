// Refused writes under Wine, through the simulator's rasapi32.dll and the
// real registry: the modem's UserInit refused to this process (as to a
// limited or standard user) and written by the real dialwave.exe's
// administrator's step ("runas" under Wine just runs it), then dialled with;
// the step declined, the modem's own command dialled; the phone book
// refusing the save (the simulator's fault entry-write-denied).
#include <gtest/gtest.h>

#include "connection/set_init.h"
#include "dial_support_win.h"
#include "platform/fake/recording_questions.h"
#include "platform/win32/wide.h"
#include "text/fold.h"

namespace dw {
namespace {

// The system's registry, refusing this process every write under one key,
// as it refuses a user without the rights to the modems' class key.
class RefusingRegistry final : public Registry {
 public:
  RefusingRegistry(Registry& real, std::string refused) : real_(real), refused_(std::move(refused)) {}
  bool KeyExists(RegistryRoot root, std::string_view path) const override {
    return real_.KeyExists(root, path);
  }
  std::unique_ptr<RegistryKey> Open(RegistryRoot root, std::string_view path) override {
    return Refused(path) ? nullptr : real_.Open(root, path);
  }
  std::unique_ptr<RegistryKey> Create(RegistryRoot root, std::string_view path) override {
    return Refused(path) ? nullptr : real_.Create(root, path);
  }
  std::unique_ptr<RegistryKey> CreateForWrite(RegistryRoot root, std::string_view path,
                                              RegistryWrite& why) override {
    if (!Refused(path)) return real_.CreateForWrite(root, path, why);
    why = RegistryWrite::kDenied;
    return nullptr;
  }
  std::unique_ptr<RegistryKey> OpenReadOnly(RegistryRoot root, std::string_view path) const override {
    return real_.OpenReadOnly(root, path);
  }

 private:
  bool Refused(std::string_view path) const {
    while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
    return path.size() >= refused_.size() &&
           SameIgnoringCase1251(path.substr(0, refused_.size()), refused_);
  }
  Registry& real_;
  std::string refused_;
};

// The real step, counted.
class CountedElevation final : public Elevation {
 public:
  AdministratorRun RunAsAdministrator(const std::string& arguments,
                                      std::chrono::milliseconds limit) override {
    calls.push_back(arguments);
    return real->RunAsAdministrator(arguments, shortLimit.value_or(limit));
  }
  std::optional<std::chrono::milliseconds> shortLimit;  // in place of the dial's
  std::unique_ptr<Elevation> real = MakeWin32Elevation(Narrow(test::BinDir()) + "dialwave.exe");
  std::vector<std::string> calls;
};

class DialRefusedWine : public test::DialWineTest {
 protected:
  void SetUp() override {
    DialWineTest::SetUp();
    if (win9x_) GTEST_SKIP() << "9x refuses no one its registry";
    refusing_ = std::make_unique<RefusingRegistry>(*registry_, sim::kNtModemClassKey);
  }
  connection::DialDependencies RefusedDeps(ui::ProgressDialog& form) {
    connection::DialDependencies deps = Deps(form);
    deps.registry = refusing_.get();
    deps.questions = &questions_;
    deps.elevation = &elevation_;
    return deps;
  }
  std::string UserInit() { return modem::ModemInitStore(*registry_, platformId_).Read(modem_); }

  std::unique_ptr<RefusingRegistry> refusing_;
  RecordingQuestions questions_;
  CountedElevation elevation_;
};

TEST_F(DialRefusedWine, TheAdministratorsStepWritesTheApnAndTheDialUsesIt) {
  // Only the written APN connects: a dial with the modem's old "ATZ" fails.
  UseSimulator("apn internet.kvr connect\napn * error 734\nnumber * connect\n");
  SaveEntry("*99***1#");
  questions_.Script({true});
  ui::ProgressDialog form(nullptr, lock_);
  connection::DialThread thread(RefusedDeps(form));
  std::vector<std::string> apns = {"internet.kvr"};
  const ras::Handle conn = Run(form, thread, apns);

  EXPECT_EQ(questions_.Questions().size(), 1u);
  EXPECT_EQ(elevation_.calls, std::vector<std::string>{SetInitArguments({modem_, "internet.kvr"})});
  EXPECT_EQ(UserInit(), modem::ApnInitCommand("internet.kvr")) << "written by dialwave.exe";
  ASSERT_NE(conn, 0u) << "error " << form.Shared().ErrorCode();
  EXPECT_EQ(State(conn), 8192u);
}

TEST_F(DialRefusedWine, DeclinedTheModemsOwnCommandIsDialledAndKept) {
  UseSimulator("apn internet.kvr connect\napn * error 734\nnumber * connect\n");
  SaveEntry("*99***1#");
  questions_.Script({false});
  ui::ProgressDialog form(nullptr, lock_);
  connection::DialThread thread(RefusedDeps(form));
  std::vector<std::string> apns = {"internet.kvr", "other.kvr"};
  EXPECT_EQ(Run(form, thread, apns), 0u);
  EXPECT_EQ(form.Shared().ErrorCode(), 734u) << "the network refused the modem's own APN";
  EXPECT_EQ(questions_.Questions().size(), 1u);
  EXPECT_TRUE(elevation_.calls.empty());
  EXPECT_EQ(UserInit(), "ATZ");
  EXPECT_TRUE(Connections().empty());
}

TEST_F(DialRefusedWine, AStepThatOutlivesItsWaitLeavesNoDialAndWritesAfterwards) {
  // Any APN connects: a dial made at all would show as a connection.
  UseSimulator("number * connect\n");
  SaveEntry("*99***1#");
  questions_.Script({true});
  elevation_.shortLimit = std::chrono::milliseconds(0);
  ui::ProgressDialog form(nullptr, lock_);
  connection::DialThread thread(RefusedDeps(form));
  std::vector<std::string> apns = {"internet.kvr"};
  EXPECT_EQ(Run(form, thread, apns), 0u);
  EXPECT_EQ(elevation_.calls.size(), 1u);
  EXPECT_EQ(form.Shared().ErrorText(), Text(TextId::ModemApnStepUnfinished));
  EXPECT_TRUE(Connections().empty());
  const std::string written = modem::ApnInitCommand("internet.kvr");
  const DWORD start = GetTickCount();
  while (UserInit() != written && GetTickCount() - start < 20000) Sleep(50);
  EXPECT_EQ(UserInit(), written) << "the step wrote after the dial had stopped waiting";
}

TEST_F(DialRefusedWine, ARefusedPhoneBookSaveKeepsTheEntryAndTellsTheUser) {
  UseSimulator("apn internet.kvr connect\nnumber * connect\n");
  SaveEntry("*99***1#");
  UseSimulator("apn internet.kvr connect\nnumber * connect\nfault entry-write-denied\n");
  ui::ProgressDialog form(nullptr, lock_);
  connection::DialThread thread(RefusedDeps(form));
  std::vector<std::string> apns = {"internet.kvr"};
  questions_.Script({true});
  const ras::Handle conn = Run(form, thread, apns);
  ASSERT_EQ(questions_.Questions().size(), 2u);
  EXPECT_EQ(questions_.Questions()[0].text, Text(TextId::EntryNeedsAdminKept));
  EXPECT_EQ(questions_.Questions()[1].text, Text(TextId::ModemApnNeedsAdmin));
  EXPECT_NE(conn, 0u) << "error " << form.Shared().ErrorCode();
  EXPECT_EQ(thread.Result().entryName, "Korvana");
}

}  // namespace
}  // namespace dw
