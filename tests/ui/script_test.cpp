// The operator script and transcript of the headless platform: every action, every
// kind of answer, script errors, the end of a script, nested forms, the environment and
// the platform plugins.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>

#include "SampleForm.h"
#include "sys/Loader.h"
#include "tests/support/TestEnv.h"
#include "ui/PlatformFactory.h"
#include "ui/PlatformPlugin.h"

namespace ui_test {
namespace {

using namespace ui;
using Strings = std::vector<std::string>;
using tavro_test::ReadFile;

// The sample form with buttons that raise each kind of box, a nested form, printing and
// an exception.
class TScriptFrm : public TSampleFrm {
 public:
  TScriptFrm() {
    auto button = [this](const char* name, const std::function<void()>& onClick) {
      auto* b = Create<TButton>(this, this, name);
      b->OnClick = [onClick](TComponent*) { onClick(); };
      return b;
    };
    button("AskBtn", [this] {
      int r = CurrentPlatform().MessageBox(Gbk("提示"), Gbk("保存吗？"), MsgButtons::YesNo,
                                           MsgIcon::Question);
      Log.push_back(r == mrYes ? "yes" : "no");
    });
    button("OkCancelBtn", [] {
      CurrentPlatform().MessageBox("Check", "Go on?", MsgButtons::OkCancel, MsgIcon::Warning);
    });
    button("InfoBtn", [] {
      CurrentPlatform().MessageBox("Info", "Done", MsgButtons::Ok, MsgIcon::Information);
    });
    button("InputBtn", [this] {
      std::string value = "def";
      bool ok = CurrentPlatform().InputBox("Usage", "New text", value);
      Log.push_back(ok ? "input " + value : "input cancel");
    });
    PrintDialog1 = Create<TPrintDialog>(this, nullptr, "PrintDialog1");
    button("PrintBtn", [this] {
      if (!PrintDialog1->Execute()) {
        return;
      }
      PrinterCanvas& p = CurrentPlatform().Printer();
      p.BeginDoc("Users");
      p.SetFont("", 12);
      p.TextOut(10, 20, Gbk("第1页"));
      p.Line(65, 86, 715, 86);
      p.NewPage();
      p.TextOut(10, 20, Gbk("第2页"));
      p.EndDoc();
    });
    button("NestBtn", [this] {
      TSampleFrm inner;
      int r = inner.ShowModal();
      Log.push_back("inner " + std::to_string(r) + " " + inner.NameEdt->Text());
    });
    button("ThrowBtn", [] { throw std::runtime_error("broken"); });
    button("LockedBtn", [] {})->SetEnabled(false);
    auto* pages = Create<TPageControl>(this, this, "PagesPgc");
    Create<TTabSheet>(this, pages, "SecondTab");
    pages->SetActivePage(Create<TTabSheet>(this, pages, "FirstTab"));
    MainDirTrv->LoadOutline("root\n\tchild");
    FolderLsv->SetColumns({{"Id", 60, taLeftJustify}, {"Amount", 80, taRightJustify}});
    FolderLsv->AddItem("r0", {"a"});
    FolderLsv->AddItem("r1", {"b"});
    FolderLsv->OnDblClick = [this](TComponent*) { Log.push_back("FolderLsv.dblclick"); };
    AllowReorder(*OrderLbx);
  }
  const char* ClassName() const override { return "TScriptFrm"; }
  TPrintDialog* PrintDialog1;
};

class ScriptTest : public HeadlessTest {
 protected:
  // Runs script on the form and returns its modal result.
  int Run(const std::string& script) {
    platform_->RunScript(script);
    return form.ShowModal();
  }
  bool Logged(const std::string& entry) const {
    return std::find(form.Log.begin(), form.Log.end(), entry) != form.Log.end();
  }
  TScriptFrm form;
};

int Count(const Strings& log, const std::string& entry) {
  return static_cast<int>(std::count(log.begin(), log.end(), entry));
}

TEST_F(ScriptTest, EachActionWorksAsTheOperatorWould) {
  EXPECT_EQ(
      Run("type NameEdt \"张三\"\nexpect NameEdt text 张三\nexpect NameEdt caret 4\n"
          "set NameEdt abcd\ncaret NameEdt 2\nkey NameEdt Backspace\nexpect NameEdt text acd\n"
          "caret NameEdt end\nkey NameEdt Left\nkey NameEdt Delete\nexpect NameEdt text ac\n"
          "paste NoteMmo \"a\\nb\"\nexpect NoteMmo count 2\nexpect NoteMmo item 1 b\n"
          "select StatusCmb 2\nexpect StatusCmb itemindex 2\nselect StatusCmb \"0:deleted\"\n"
          "expect StatusCmb text 0:deleted\ncheck ActiveCkb on\nexpect ActiveCkb checked true\n"
          "check RightClb add on\nexpect RightClb itemchecked 1 true\ncheck RightClb 0 on\n"
          "expect RightClb itemchecked 0 true\ndrag OrderLbx K1 K4\nexpect OrderLbx item 0 K4\n"
          "expect OrderLbx itemindex 3\n"
          "drag OrderLbx 1 2 right\nexpect OrderLbx item 1 K2\nselect MainDirTrv \"child\"\n"
          "expect MainDirTrv item 1 child\nexpect MainDirTrv itemindex 1\n"
          "expect FolderLsv columns 2\nexpect NewMit checked false\nselect FolderLsv r1\nexpect "
          "FolderLsv item 1 "
          "\"r1\\tb\"\nexpect FolderLsv column 1 Amount 80 right\ndblclick FolderLsv\n"
          "click FilenameEdt\nfile \"/tmp/a b.txt\"\nexpect FilenameEdt text \"/tmp/a b.txt\"\n"
          "click NewMit\nresize InfoGrp 323 100\nclick SecondTab\nexpect FirstTab visible false\n"
          "set UpdateBtn Save\nexpect UpdateBtn caption Save\nexpect form caption 样例\n"
          "expect form font \"MS Sans Serif\" 8 1\nexpect LockedBtn enabled false\n"
          "expect NameEdt readonly false\nfocus CityEdt\n"),
      mrCancel);
  EXPECT_FALSE(platform_->Failed());
  EXPECT_EQ(Transcript().back(), "close TScriptFrm cancel");
  EXPECT_EQ(Count(form.Log, "StatusCmb.change"), 2);
  EXPECT_EQ(form.MainDirTrv->Selected()->Text(), "child");
  EXPECT_EQ(Count(form.Log, "FolderLsv.dblclick"), 1);
  EXPECT_EQ(Count(form.Log, "NewMit.click"), 1);
  EXPECT_EQ(form.InfoGrp->Width(), 323);
  EXPECT_EQ(form.ActiveControl(), form.CityEdt);
}

TEST_F(ScriptTest, BoxesTakeTheirAnswersFromTheNextLine) {
  platform_->SetPrintWriter([](const PrintJob& job) { return "/tmp/" + job.Title + ".pdf"; });
  EXPECT_EQ(Run("click AskBtn\nanswer yes\nclick InputBtn\ninput \"新值\"\nclick InputBtn\n"
                "input cancel\nclick InputBtn\ninput \"cancel\"\nclick FilenameEdt\nfile cancel\n"
                "click PrintBtn\nprint no\nclick PrintBtn\nprint yes\nclick InfoBtn\n"
                "click OkCancelBtn\nanswer cancel\nclose\n"),
            mrCancel);
  EXPECT_EQ(
      Transcript(),
      (Strings{
          R"(open TScriptFrm "样例")", R"(message yesno question "提示" "保存吗？" -> yes)",
          R"(input "Usage" "New text" "def" -> "新值")",
          R"(input "Usage" "New text" "def" -> cancel)",
          R"(input "Usage" "New text" "def" -> "cancel")",
          R"(file open "Text files (*.txt)|*.txt" -> cancel)", "print -> no", "print -> yes",
          R"(printed 2 pages "/tmp/Users.pdf")", R"(message ok information "Info" "Done" -> ok)",
          R"(message okcancel warning "Check" "Go on?" -> cancel)", R"(close TScriptFrm cancel)"}));
  EXPECT_TRUE(Logged("yes"));
  EXPECT_TRUE(Logged("input " + Gbk("新值")));
  EXPECT_TRUE(Logged("input cancel"));
  ASSERT_EQ(platform_->PrintJobs().size(), 1u);
  const PrintJob& job = platform_->PrintJobs()[0];
  ASSERT_EQ(job.Pages.size(), 2u);
  ASSERT_EQ(job.Pages[0].Ops.size(), 2u);
  EXPECT_EQ(job.Pages[0].Ops[0].Text, Gbk("第1页"));
  EXPECT_EQ(job.Pages[0].Ops[0].FontSize, 12);
  EXPECT_EQ(job.Pages[0].Ops[1].X2, 715);
  EXPECT_EQ(job.PixelsPerInchX, 600);
}

// A handler's exception is shown and a refused close keeps the form for the next lines;
// the script's end closes it without the close query; a button's modal result closes it.
TEST_F(ScriptTest, TheFormStaysOpenUntilItsCloseIsAllowedOrTheScriptEnds) {
  form.AllowClose = false;
  Run("click ThrowBtn\nclick CancelBtn\ntype NameEdt z\nclose\n");
  EXPECT_EQ(Count(form.Log, "closequery"), 2);
  EXPECT_EQ(form.NameEdt->Text(), "z");
  EXPECT_EQ(Transcript(),
            (Strings{R"(open TScriptFrm "样例")", R"(message ok error "ManageEdit" "broken" -> ok)",
                     "script-end TScriptFrm", "close TScriptFrm cancel"}));
  EXPECT_FALSE(platform_->Failed());

  const ScopedHeadless p;
  TScriptFrm other;
  other.UpdateBtn->SetModalResult(mrOk);
  p->RunScript("type NameEdt abc\nkey NameEdt Enter\nclick InfoBtn\n");
  EXPECT_EQ(other.ShowModal(), mrOk);
  EXPECT_EQ(p->Transcript(), (Strings{R"(open TScriptFrm "样例")", "close TScriptFrm ok"}));
}

TEST_F(ScriptTest, NestedFormTakesTheFollowingLinesUntilItCloses) {
  Run("click NestBtn\ntype NameEdt inner\nclose\nexpect NameEdt text \"\"\nclick NestBtn\n");
  EXPECT_EQ(Transcript(), (Strings{R"(open TScriptFrm "样例")", R"(open TSampleFrm "样例")",
                                   "close TSampleFrm cancel", R"(open TSampleFrm "样例")",
                                   "script-end TSampleFrm", "close TSampleFrm cancel",
                                   "script-end TScriptFrm", "close TScriptFrm cancel"}));
  EXPECT_TRUE(Logged("inner 2 inner"));
}

TEST(ScriptErrors, AreWrittenAndCloseTheFormsWithoutTheirCloseQuery) {
  struct Case {
    const char* script;
    Strings tail;  // the transcript between the open and the close line
  };
  const Case cases[] = {
      {"click AskBtn\nclick InfoBtn",
       {R"(message yesno question "提示" "保存吗？" -> no)",
        R"x(error 2 "a Yes/No box \"保存吗？\" is open and needs \"answer ...\", not: click InfoBtn")x"}},
      {"click AskBtn",
       {R"(message yesno question "提示" "保存吗？" -> no)",
        R"x(error 1 "the script ended while a Yes/No box \"保存吗？\" was open")x"}},
      {"click AskBtn\nanswer ok",
       {R"(message yesno question "提示" "保存吗？" -> no)",
        R"x(error 2 "a Yes/No box \"保存吗？\" cannot be answered \"ok\"")x"}},
      {"click InputBtn\nanswer yes",
       {R"(input "Usage" "New text" "def" -> cancel)",
        R"x(error 2 "an input box \"New text\" is open and needs \"input ...\", not: answer yes")x"}},
      {"click Nope", {R"x(error 1 "unknown control Nope on TScriptFrm")x"}},
      // An error in a nested form closes every open form.
      {"click NestBtn\nclick Nope\nclick InfoBtn\n",
       {R"(open TSampleFrm "样例")", R"x(error 2 "unknown control Nope on TSampleFrm")x",
        "close TSampleFrm cancel"}},
      {"click LockedBtn", {R"x(error 1 "LockedBtn is disabled")x"}},
      {"answer yes", {R"x(error 1 "no box is open to take: answer yes")x"}},
      {"frobnicate NameEdt", {R"x(error 1 "unknown action frobnicate")x"}},
      {"key NameEdt F13", {R"x(error 1 "unknown key F13")x"}},
      {"type NameEdt", {R"x(error 1 "usage: type NAME TEXT")x"}},
      {"select StatusCmb 3", {R"x(error 1 "item 3 is out of range (count 3)")x"}},
      {"set NameEdt \"open", {R"x(error 1 "unterminated quoted text")x"}},
      {"type NameEdt abc\nexpect NameEdt text \"x y\"",
       {R"x(error 2 "expect NameEdt text: wanted \"x y\", found \"abc\"")x"}},
      {"expect form font Arial 8 1",
       {R"x(error 1 "expect form font: wanted \"Arial\" \"8\" \"1\", found \"MS Sans Serif\" \"8\" \"1\"")x"}},
      {"expect NameEdt checked true",
       {R"x(error 1 "expect NameEdt: TEdit has no property checked")x"}},
      {"expect NoteMmo item 3 x",
       {R"x(error 1 "expect NoteMmo: item 3 is out of range (count 0)")x"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    const ScopedHeadless p;
    TScriptFrm form;
    p->RunScript(c.script);
    EXPECT_EQ(form.ShowModal(), mrCancel);
    EXPECT_TRUE(p->Failed());
    Strings expected{R"(open TScriptFrm "样例")"};
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    expected.push_back("close TScriptFrm cancel");
    EXPECT_EQ(p->Transcript(), expected);
    EXPECT_EQ(Count(form.Log, "closequery"), 0);
  }
}

TEST_F(ScriptTest, WithoutAScriptFormsCloseAtOnceAndQuestionsAreErrors) {
  EXPECT_EQ(form.ShowModal(), mrCancel);
  EXPECT_EQ(platform_->MessageBox("c", "Sure?", MsgButtons::YesNo, MsgIcon::Question), mrNo);
  EXPECT_EQ(Transcript(),
            (Strings{R"(open TScriptFrm "样例")", "script-end TScriptFrm",
                     "close TScriptFrm cancel", R"(message yesno question "c" "Sure?" -> no)",
                     R"x(error 0 "the script ended while a Yes/No box \"Sure?\" was open")x"}));
}

TEST_F(ScriptTest, OperatorFunctionActsOnEachFormAsItOpens) {
  form.UpdateBtn->SetModalResult(mrOk);
  bool performed = false;
  platform_->SetOperator([&](TForm& f) {
    performed =
        platform_->Perform(f, "type NameEdt \"a b\"") && platform_->Perform(f, "click UpdateBtn");
  });
  EXPECT_EQ(form.ShowModal(), mrOk);
  EXPECT_TRUE(performed);
  EXPECT_EQ(form.NameEdt->Text(), "a b");
  EXPECT_FALSE(platform_->Perform(form, "click UpdateBtn"));  // closed by now
  EXPECT_TRUE(platform_->Failed());
}

TEST_F(ScriptTest, DumpWritesTheStateOfAControlOrTheForm) {
  form.RightClb->SetBounds(8, 40, 121, 60);
  Run("check RightClb 1 on\ndump RightClb\ndump\n");
  const Strings& t = Transcript();
  ASSERT_GE(t.size(), 6u);
  EXPECT_EQ(t[1], R"(dump RightClb TCheckListBox "" enabled=true visible=true itemindex=1 count=3 )"
                  R"(parent=SampleFrm left=8 top=40 width=121 height=60)");
  EXPECT_EQ(t[2], R"(dump RightClb item 0 "query" unchecked)");
  EXPECT_EQ(t[3], R"(dump RightClb item 1 "add" checked)");
  EXPECT_EQ(t[5].rfind(R"(dump SampleFrm TScriptFrm "样例" enabled=true visible=true left=)", 0),
            0u)
      << t[5];
  EXPECT_EQ(Count(t, R"(dump NewMit TMenuItem "New" enabled=true visible=true checked=false)"), 1);
}

// A dump shows what the operator finds: a control inside a disabled group is disabled,
// inside a hidden one hidden, though "expect" reads its own flag; clicks follow the dump.
TEST(ScriptDump, ShowsTheStateAControlHasThroughItsParents) {
  const struct {
    bool groupEnabled, groupVisible;
    const char* state;
    const char* click;  // the error of "click CityEdt", empty when it is clicked
  } cases[] = {
      {true, true, "enabled=true visible=true", ""},
      {false, true, "enabled=false visible=true", "CityEdt is disabled"},
      {true, false, "enabled=true visible=false", "CityEdt is not visible"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.state);
    const ScopedHeadless p;
    TScriptFrm form;
    form.CityEdt->SetBounds(8, 16, 121, 21);
    form.InfoGrp->SetEnabled(c.groupEnabled);
    form.InfoGrp->SetVisible(c.groupVisible);
    p->RunScript("dump CityEdt\nexpect CityEdt enabled true\nclick CityEdt\n");
    form.ShowModal();
    const Strings& t = p->Transcript();
    ASSERT_GE(t.size(), 3u);
    EXPECT_EQ(t[1], std::string(R"(dump CityEdt TEdit "" )") + c.state +
                        " readonly=false caret=0 parent=InfoGrp left=8 top=16 width=121 height=21");
    EXPECT_EQ(t[2],
              *c.click ? "error 3 \"" + std::string(c.click) + "\"" : "script-end TScriptFrm");
  }
}

// The shell makes one call per script. A line still waiting when the entry point
// returns with no form open was never played: the run fails naming it.
TEST(ScriptEnd, ALineLeftWhenTheCallEndsIsAnError) {
  struct Case {
    const char* script;
    Strings tail;  // the transcript after the form's close line
  };
  const std::string gone =
      "no form is open any more (the last one has closed), so this line is not played: ";
  const Case cases[] = {
      {"click UpdateBtn\nexpect NameEdt text x\n",
       {"error 2 \"" + gone + "expect NameEdt text x\""}},
      {"click UpdateBtn\nanswer yes\nanswer no\n",
       {R"(message yesno none "c" "More?" -> yes)", "error 3 \"" + gone + "answer no\""}},
      // Everything played: comments and blank lines after the last action are no lines.
      {"click UpdateBtn\nanswer no\n# done\n\n", {R"(message yesno none "c" "More?" -> no)"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.script);
    const ScopedHeadless p;
    {
      TScriptFrm form;
      form.UpdateBtn->SetModalResult(mrOk);
      p->RunScript(c.script);
      EXPECT_EQ(form.ShowModal(), mrOk);
      // An entry point may still ask something after its dialog has closed.
      if (std::string(c.script).find("answer") != std::string::npos) {
        CurrentPlatform().MessageBox("c", "More?", MsgButtons::YesNo, MsgIcon::None);
      }
      p->EntryCallEnded();
    }
    Strings expected{R"(open TScriptFrm "样例")", "close TScriptFrm ok"};
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(p->Transcript(), expected);
    EXPECT_EQ(p->Failed(), c.tail.back().rfind("error", 0) == 0);
  }
}

// A nested entry point (the account list calls the account dialog's) returns into a
// form that is still open: the lines after it belong to that form.
TEST_F(ScriptTest, ANestedCallReturningIntoAnOpenFormLeavesTheLinesToIt) {
  auto* nested = Create<TButton>(&form, &form, "NestedCallBtn");
  nested->OnClick = [](TComponent*) { CurrentPlatform().EntryCallEnded(); };
  Run("click NestedCallBtn\ntype NameEdt abc\nclose\n");
  platform_->EntryCallEnded();
  EXPECT_EQ(Transcript(), (Strings{R"(open TScriptFrm "样例")", "close TScriptFrm cancel"}));
  EXPECT_EQ(form.NameEdt->Text(), "abc");
  EXPECT_FALSE(platform_->Failed());
}

// The environment names the script, the transcript file and the printer resolution.
// The three variables are unset for each test and given back afterwards.
class EnvironmentTest : public ::testing::Test {
 protected:
  tavro_test::ScopedTempDir folder_{"ui_env"};
  std::filesystem::path dir_ = folder_.Path();
  tavro_test::ScopedEnv scriptEnv_{"TAVRO_UI_SCRIPT", nullptr};
  tavro_test::ScopedEnv transcriptEnv_{"TAVRO_UI_TRANSCRIPT", nullptr};
  tavro_test::ScopedEnv dpiEnv_{"TAVRO_UI_PRINTER_DPI", nullptr};
};

TEST_F(EnvironmentTest, PlatformFromTheEnvironmentRunsTheScriptFileAndWritesTheTranscript) {
  auto script = dir_ / "demo.txt";
  auto transcript = dir_ / "transcript.txt";
  std::ofstream(script) << "# call: Mn_UsageEdit\ntype NameEdt 张三\nclick InfoBtn\n";
  ::setenv("TAVRO_UI_SCRIPT", script.c_str(), 1);
  ::setenv("TAVRO_UI_TRANSCRIPT", transcript.c_str(), 1);
  ::setenv("TAVRO_UI_PRINTER_DPI", "300", 1);
  auto previous = InstallPlatform(CreatePlatform("headless"));
  {
    TScriptFrm form;
    form.ShowModal();
    EXPECT_EQ(form.NameEdt->Text(), Gbk("张三"));
    EXPECT_EQ(CurrentPlatform().Printer().PixelsPerInchX(), 300);
  }
  InstallPlatform(std::move(previous));
  EXPECT_EQ(ReadFile(transcript),
            "open TScriptFrm \"样例\"\nmessage ok information \"Info\" \"Done\" -> ok\n"
            "script-end TScriptFrm\nclose TScriptFrm cancel\n");
  EXPECT_EQ(CreatePlatform("gtk"), nullptr);  // no such platform, and no plugin looked for

  // An unreadable script is the first error; a bad resolution is ignored.
  auto missing = dir_ / "missing.txt";
  ::setenv("TAVRO_UI_SCRIPT", missing.c_str(), 1);
  ::setenv("TAVRO_UI_PRINTER_DPI", "-5", 1);
  auto platform = HeadlessPlatform::FromEnvironment();
  EXPECT_TRUE(platform->Failed());
  EXPECT_EQ(platform->Transcript(),
            (Strings{"error 0 \"cannot read the operator script " + missing.string() + "\""}));
  EXPECT_EQ(platform->Printer().PixelsPerInchX(), 600);
}

// The language of the call reaches the platform there is, and one made later in the
// call, but makes none of its own.
TEST_F(EnvironmentTest, TheCallsLanguageReachesAPlatformMadeLater) {
  const tavro_test::ScopedEnv headless("TAVRO_UI", "headless");
  auto previous = InstallPlatform(nullptr);
  BeginEntryCall("ja");
  EXPECT_EQ(InstallPlatform(nullptr), nullptr);
  EXPECT_EQ(dynamic_cast<HeadlessPlatform&>(CurrentPlatform()).Language(), "ja");
  BeginEntryCall("zh_CN");
  EXPECT_EQ(dynamic_cast<HeadlessPlatform&>(CurrentPlatform()).Language(), "zh_CN");
  InstallPlatform(std::move(previous));
}

// An entry point that needed no platform still has its script checked when it returns
// (a script for a call that opens no form fails on its first action); without a script
// nothing is made.
TEST_F(EnvironmentTest, EndOfACallChecksTheScriptEvenWhenNothingWasShown) {
  auto previous = InstallPlatform(nullptr);
  EndEntryCall();
  EXPECT_EQ(InstallPlatform(nullptr), nullptr);

  auto script = dir_ / "list.txt";
  auto transcript = dir_ / "transcript.txt";
  std::ofstream(script) << "# call: Mn_GetCheckList\nexpect FolderLsv count 3\n";
  ::setenv("TAVRO_UI_SCRIPT", script.c_str(), 1);
  ::setenv("TAVRO_UI_TRANSCRIPT", transcript.c_str(), 1);
  EndEntryCall();
  InstallPlatform(std::move(previous));
  EXPECT_EQ(ReadFile(transcript),
            "error 2 \"the entry point opened no form, so this line is not played: expect "
            "FolderLsv count 3\"\n");
}

// A file the script names for an open dialog comes with the script: a relative name is
// taken from the script's folder, so the script runs from any current folder. What a
// save dialog is given is made by the run and stays in the current folder.
TEST_F(EnvironmentTest, OpenDialogAnswersAreTakenFromTheScriptsFolder) {
  std::filesystem::create_directories(dir_ / "scripts");
  const std::string folder = (dir_ / "scripts").string();
  struct Case {
    bool fromFile;
    bool save;
    const char* answer;
    std::string chosen;
  };
  const Case cases[] = {
      {true, false, "in.txt", folder + "/in.txt"},
      {true, false, "/abs/in.txt", "/abs/in.txt"},
      {true, true, "out.txt", "out.txt"},
      {false, false, "in.txt", "in.txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    const ScopedHeadless p;
    const std::string text = std::string("click FilenameEdt\nfile \"") + c.answer + "\"\n";
    if (c.fromFile) {
      std::ofstream(dir_ / "scripts" / "pick.txt") << text;
      ASSERT_TRUE(p->LoadScriptFile((dir_ / "scripts" / "pick.txt").string()));
    } else {
      p->RunScript(text);
    }
    {
      TScriptFrm form;
      form.FilenameEdt->SetSaveDialog(c.save);
      form.ShowModal();
      EXPECT_EQ(form.FilenameEdt->Text(), c.chosen);
    }
    EXPECT_FALSE(p->Failed());
  }

  // A folder whose name GBK cannot write cannot name the file: the line fails rather
  // than the dialog receiving a mangled path.
  const auto odd = dir_ / "\xF0\x9F\x98\x80";
  std::filesystem::create_directories(odd);
  std::ofstream(odd / "pick.txt") << "click FilenameEdt\nfile in.txt\n";
  const ScopedHeadless p;
  ASSERT_TRUE(p->LoadScriptFile((odd / "pick.txt").string()));
  {
    TScriptFrm form;
    form.ShowModal();
    EXPECT_EQ(form.FilenameEdt->Text(), "");
  }
  EXPECT_TRUE(p->Failed());
  EXPECT_EQ(p->Transcript()[1], R"(file open "Text files (*.txt)|*.txt" -> cancel)");
  EXPECT_EQ(p->Transcript()[2], "error 2 \"the script's folder " + odd.string() +
                                    " cannot be written in GBK, so a file cannot be named from "
                                    "it: in.txt\"");
}

// The headless plugin beside the model's library makes a platform of the model's own
// version; a missing file or a library that is no plugin is refused with the reason.
TEST(PlatformPlugin, TheHeadlessPluginLoadsAndOthersAreRefusedWithTheReason) {
  EXPECT_EQ(PlatformPluginFile("headless"), "libTavroUiHeadless.so");
  EXPECT_EQ(PlatformPluginFile("qt"), "libTavroUiQt.so");
  std::string why;
  const PlatformPlugin* plugin =
      LoadPlatformPlugin(sys::ModuleFolder() + "/libTavroUiHeadless.so", why);
  ASSERT_NE(plugin, nullptr) << why;
  EXPECT_EQ(plugin->Version, kPlatformPluginVersion);
  EXPECT_EQ(plugin->Probe, nullptr);  // headless needs no display
  EXPECT_NE(plugin->Make(), nullptr);
  const std::pair<const char*, const char*> refused[] = {
      {"libTavroUiNowhere.so", "libTavroUiNowhere.so"},
      {"libTavroUi.so", "exports no TavroUiPlatformPlugin"}};
  for (const auto& [file, reason] : refused) {
    EXPECT_EQ(LoadPlatformPlugin(sys::ModuleFolder() + "/" + file, why), nullptr) << file;
    EXPECT_NE(why.find(reason), std::string::npos) << why;
  }
}

}  // namespace
}  // namespace ui_test
