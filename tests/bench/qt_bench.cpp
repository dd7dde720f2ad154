// The Qt platform next to the headless one in the same run (Qt's offscreen plugin as the
// screen): the user dialog opened with its business rights on over a function tree of
// 2,500 nodes (argument 50) and of 50 nodes (argument 1, which shows what a window costs
// whatever the tree), up to the window's paint with the tree, and a list view filled
// with 100,000 rows and painted. Both platforms do the same model work; what Qt adds is
// the widgets, the item models and the paint: a fixed cost per window, and per node or
// row no more than a small multiple of the model's own, as rows are read by the item
// models when painted, never copied into a widget per row. The heap in use per row
// while the list is filled is a counter of each fill.
//
// The cost of one keystroke up to the window's paint: Space ticking a function's right
// in the user dialog (beside both trees), and a character typed into an edit in a form
// whose other control is a list view, a check list box or a tree view of 100 rows and
// of 100,000. The screen is brought in step
// after every input, so what a keystroke costs there should not grow with the rows of
// a list that the key did not change.
//
// Then the customer import of a file of 50,000 lines through its dialog on both
// platforms, against a fake host that accepts every line at about the bank's pace. On Qt the window
// gets its turn at a bounded rate while the import runs and its log grows by two lines a customer:
// the counters are the longest time the window went without one (max_gap_ms, from the end of a turn
// to the end of the next), the longest turn itself (max_turn_ms) and, on both, the heap in use per
// line of the file once the import has ended (the log, the fake host's record of the commands, and
// on Qt the window's copy of the log).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "customer/CustSnapInFrm.h"
#include "frame/ListViewFill.h"
#include "frame/ManageEdit.h"
#include "sys/CodePage.h"
#include "sys/Files.h"
#include "sys/TickCount.h"
#include "tests/support/FakeHost.h"
#include "ui/Controls.h"
#include "ui/Input.h"
#include "ui/headless/HeadlessPlatform.h"
#include "ui/qt/FormWindow.h"
#include "ui/qt/QtDesktop.h"

namespace {

constexpr int kTopNodes = 50;
constexpr int kChildren = 49;  // 50 * (1 + 49) = 2,500 nodes
constexpr int kRows = 100000;
constexpr HWND_T kShell = 0x51;

// The function tree as the server sends it: top nodes with one level of children.
std::string MakeOutline(int topNodes) {
  std::string out;
  for (int top = 1; top <= topNodes; ++top) {
    out += std::to_string(top) + ":" + sys::Utf8ToGbk("功能组") + "\r\n";
    for (int child = 1; child <= kChildren; ++child) {
      out += "\t" + std::to_string(top * 1000 + child) + ":" + sys::Utf8ToGbk("业务功能") + "\r\n";
    }
  }
  return out;
}

// A review-list row as the server writes it: number, name, amount, time, state.
std::string Row(int i) {
  static const std::string name = sys::Utf8ToGbk("上海浦东发展银行股份有限公司");
  return "B" + std::to_string(20260000000 + i) + "\x07" + name + "\x07" +
         std::to_string(i % 100000) + ".25\x07" + "2026-12-06 10:00:00\x07" + (i % 2 ? "1" : "0") +
         "\r\n";
}

// A private folder as the current folder and TMPDIR, with Chinese texts, the rows file,
// and the fake host answering the user dialog's commands.
struct Fixture {
  std::string folder;
  std::string rowsFile;
  std::string rowsText;

  Fixture() {
    folder = (std::filesystem::temp_directory_path() / "tavro-qt-bench-XXXXXX").string();
    if (::mkdtemp(folder.data()) == nullptr || ::chdir(folder.c_str()) != 0) {
      std::abort();
    }
    ::setenv("TMPDIR", folder.c_str(), 1);
    sys::WriteFileBytes(folder + "/Tavro2007.ini", "[Settings]\r\nLangId=CN\r\n");
    for (int i = 0; i < kRows; ++i) {
      rowsText += Row(i);
    }
    rowsFile = folder + "/rows.txt";
    sys::WriteFileBytes(rowsFile, rowsText);
  }
  ~Fixture() { std::filesystem::remove_all(folder); }
};

Fixture& Data() {
  static Fixture fixture;
  return fixture;
}

// The fake host answers the user dialog's commands.
void AnswerTheUserDialog() {
  static const std::map<std::string, std::string> answers = {
      {"MN_GetPropOfUser '000001'", sys::Utf8ToGbk("000001\a0012\aD\a王建国\a演示贸易有限公司\a2")},
      {"MN_GetPropOfUser '000002'", sys::Utf8ToGbk("000002\a0012\aO\a李明\a演示\a2")},
      {"MN_GetUserCorpList 'CN','000002'", "0012 Demo\r\n"},
      {"Sh_GetNodeRight '0012','000001',101", "11111000"},
      {"MN_GetNodeRightList '0012','000002'", "[Right]\r\n1=10000000\r\n1001=11110000\r\n"},
  };
  fakehost::Reset();
  fakehost::OnAny([](const fakehost::Call& call) {
    if (call.command.rfind("Sh_GetViewNodeList", 0) == 0) {
      return fakehost::Answer::Ok(sys::Utf8ToGbk("1:功能组\r\n\t1001:业务功能\r\n"));
    }
    auto found = answers.find(call.command);
    return fakehost::Answer::Ok(found == answers.end() ? std::string() : found->second);
  });
}

// The platform installed for one benchmark, the previous one put back afterwards.
class Installed {
 public:
  explicit Installed(std::unique_ptr<ui::Platform> platform)
      : previous_(ui::InstallPlatform(std::move(platform))) {}
  ~Installed() { ui::InstallPlatform(std::move(previous_)); }

 private:
  std::unique_ptr<ui::Platform> previous_;
};

// Runs act on each form as it opens, then closes the form without its close query.
void OnHeadless(ui::HeadlessPlatform& platform, const std::function<void(ui::TForm&)>& act) {
  platform.SetOperator([act](ui::TForm& form) {
    act(form);
    form.OnCloseQuery = nullptr;
    form.SetModalResult(ui::mrCancel);
  });
}

// The same on the Qt platform; the window is painted once the form has acted.
void OnQt(ui::QtDesktop& desktop, const std::function<void(ui::TForm&)>& act) {
  desktop.SetOnShown([act](ui::FormWindow& window) {
    act(window.Form());
    window.Sync();
    window.repaint();
    window.Form().OnCloseQuery = nullptr;
    window.Form().SetModalResult(ui::mrCancel);
    window.CheckClose();
  });
}

// The user dialog of user 000002 through its entry point.
void OpenUserDialog() {
  TShellResult result{};
  Mn_UserEdit(&result, kShell, "0012", "000001", 101, "000002", "");
  benchmark::DoNotOptimize(result);
}

// The operator switches business rights on. The host's answer for the tree is read
// into a buffer of kListBufferSize bytes, which holds a few hundred nodes, so the whole
// tree of 2,500 nodes is then loaded as a larger buffer would have given it.
void RightsOn(ui::TForm& form, const std::string& outline, std::size_t& nodes) {
  auto* box = ui::FindAs<ui::TCheckBox>(form, "UserViewNodeCkb");
  auto* tree = ui::FindAs<ui::TTreeView>(form, "MainDirTrv");
  if (box == nullptr || tree == nullptr) {
    std::abort();
  }
  ui::ClickControl(*box);
  tree->LoadOutline(outline);
  nodes = tree->Nodes().size();
}

void BM_UserDialogWithTreeHeadless(benchmark::State& state) {
  Data();
  AnswerTheUserDialog();
  auto headless = std::make_unique<ui::HeadlessPlatform>();
  ui::HeadlessPlatform& platform = *headless;
  Installed installed(std::move(headless));
  std::size_t nodes = 0;
  const std::string outline = MakeOutline(static_cast<int>(state.range(0)));
  OnHeadless(platform, [&](ui::TForm& form) { RightsOn(form, outline, nodes); });
  for (auto _ : state) {
    OpenUserDialog();
  }
  if (nodes != static_cast<std::size_t>(state.range(0) * (1 + kChildren))) {
    state.SkipWithError("the tree was not loaded");
  }
  state.counters["nodes"] = static_cast<double>(nodes);
}
BENCHMARK(BM_UserDialogWithTreeHeadless)->Arg(1)->Arg(kTopNodes)->Unit(benchmark::kMillisecond);

void BM_UserDialogWithTreeQt(benchmark::State& state) {
  Data();
  AnswerTheUserDialog();
  auto qt = std::make_unique<ui::QtDesktop>(nullptr);
  ui::QtDesktop& desktop = *qt;
  Installed installed(std::move(qt));
  std::size_t nodes = 0;
  const std::string outline = MakeOutline(static_cast<int>(state.range(0)));
  OnQt(desktop, [&](ui::TForm& form) { RightsOn(form, outline, nodes); });
  for (auto _ : state) {
    OpenUserDialog();
  }
  if (nodes != static_cast<std::size_t>(state.range(0) * (1 + kChildren))) {
    state.SkipWithError("the tree was not loaded");
  }
  state.counters["nodes"] = static_cast<double>(nodes);
}
BENCHMARK(BM_UserDialogWithTreeQt)->Arg(1)->Arg(kTopNodes)->Unit(benchmark::kMillisecond);

// A form with one list view in report style over its whole client area.
class TFolderFrm : public ui::TForm {
 public:
  TFolderFrm() : TForm(nullptr, "FolderFrm") {
    SetCaption("Folder");
    SetBounds(0, 0, 640, 480);
    FolderLsv = ui::Create<ui::TListView>(this, this, "FolderLsv");
    FolderLsv->SetAlign(ui::alClient);
    FolderLsv->SetRowSelect(true);
    for (const char* title : {"Number", "Name", "Amount", "Time", "State"}) {
      FolderLsv->AddColumn({title, 120, ui::taLeftJustify});
    }
  }
  const char* ClassName() const override { return "TFolderFrm"; }
  ui::TListView* FolderLsv;
};

std::size_t HeapInUse() {
  return mallinfo2().uordblks;
}

// Fills the form's list from a link to the rows file (the fill deletes the file it read).
void Fill(ui::TForm& form) {
  Fixture& f = Data();
  auto& list = *static_cast<TFolderFrm&>(form).FolderLsv;
  const std::string file = f.folder + "/view.txt";
  if (::link(f.rowsFile.c_str(), file.c_str()) != 0) {
    std::abort();
  }
  frame::LoadListViewRows(list, file);
  if (list.Items().size() != kRows) {
    std::abort();
  }
}

// open shows the form, fills it and returns the heap the filled list held (with the
// window, on Qt) before the form closed.
template <class Open>
void FillBenchmark(benchmark::State& state, Open open) {
  std::size_t grown = 0;
  for (auto _ : state) {
    grown = std::max(grown, open());
  }
  state.counters["heap_bytes_per_row"] = static_cast<double>(grown) / kRows;
  state.counters["rows"] = kRows;
}

void BM_FillListViewHeadless(benchmark::State& state) {
  Data();
  auto headless = std::make_unique<ui::HeadlessPlatform>();
  ui::HeadlessPlatform& platform = *headless;
  Installed installed(std::move(headless));
  std::size_t before = 0;
  std::size_t grown = 0;
  OnHeadless(platform, [&](ui::TForm& form) {
    Fill(form);
    grown = HeapInUse() - before;
  });
  FillBenchmark(state, [&] {
    TFolderFrm form;
    before = HeapInUse();
    form.ShowModal();
    return grown;
  });
}
BENCHMARK(BM_FillListViewHeadless)->Unit(benchmark::kMillisecond);

void BM_FillListViewQt(benchmark::State& state) {
  Data();
  auto qt = std::make_unique<ui::QtDesktop>(nullptr);
  ui::QtDesktop& desktop = *qt;
  Installed installed(std::move(qt));
  std::size_t before = 0;
  std::size_t grown = 0;
  desktop.SetOnShown([&](ui::FormWindow& window) {
    Fill(window.Form());
    window.Sync();
    window.repaint();
    grown = HeapInUse() - before;
    window.Form().SetModalResult(ui::mrCancel);
    window.CheckClose();
  });
  FillBenchmark(state, [&] {
    TFolderFrm form;
    before = HeapInUse();
    form.ShowModal();
    return grown;
  });
}
BENCHMARK(BM_FillListViewQt)->Unit(benchmark::kMillisecond);

// One keystroke of the operator, then the window's paint: on Qt the key goes through
// the window's event filter to the model and the windows are shown again, as on screen;
// headless the model alone takes it. A key is a character (typed) or Backspace.
void KeystrokeHeadless(ui::TWinControl& control, char key) {
  if (key == '\b') {
    ui::PressKey(control, ui::vk::Back);
  } else {
    ui::TypeText(control, std::string(1, key));
  }
}

void KeystrokeQt(ui::FormWindow& window, char key) {
  QWidget* target = window.focusWidget() != nullptr ? window.focusWidget() : &window;
  const int code = key == '\b' ? Qt::Key_Backspace : key == ' ' ? Qt::Key_Space : Qt::Key_A;
  const QString text(QChar::fromLatin1(key));
  QKeyEvent press(QEvent::KeyPress, code, Qt::NoModifier, text);
  QKeyEvent release(QEvent::KeyRelease, code, Qt::NoModifier, text);
  QApplication::sendEvent(target, &press);
  QApplication::sendEvent(target, &release);
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

// The keys of one benchmark, in turn, into control, which gets the focus first.
void KeysHeadless(benchmark::State& state, ui::TWinControl& control, std::string_view keys) {
  ui::FocusByOperator(control);
  std::size_t next = 0;
  for (auto _ : state) {
    KeystrokeHeadless(control, keys[next]);
    next = (next + 1) % keys.size();
  }
}

void KeysQt(benchmark::State& state, ui::FormWindow& window, ui::TWinControl& control,
            std::string_view keys) {
  ui::FocusByOperator(control);
  window.Sync();
  window.repaint();
  std::size_t next = 0;
  for (auto _ : state) {
    KeystrokeQt(window, keys[next]);
    next = (next + 1) % keys.size();
  }
}

// In the user dialog the operator's rights are on, a function is chosen in the tree and
// its first right is ticked and unticked with Space: one mark of a list of five changes,
// beside the tree.
ui::TCheckListBox& ChosenFunctionRights(ui::TForm& form) {
  auto* tree = ui::FindAs<ui::TTreeView>(form, "MainDirTrv");
  auto* rights = ui::FindAs<ui::TCheckListBox>(form, "RightClb");
  if (tree == nullptr || rights == nullptr || tree->Count() < 2) {
    std::abort();
  }
  ui::SelectItem(*tree, 1);
  if (!rights->CanFocus()) {
    std::abort();
  }
  rights->SetItemIndex(0);
  return *rights;
}

// The user dialog with business rights on over a tree of 50 nodes (argument 1) or
// 2,500 (argument 50).
void BM_KeystrokeUserDialogHeadless(benchmark::State& state) {
  Data();
  AnswerTheUserDialog();
  auto headless = std::make_unique<ui::HeadlessPlatform>();
  ui::HeadlessPlatform& platform = *headless;
  Installed installed(std::move(headless));
  std::size_t nodes = 0;
  const std::string outline = MakeOutline(static_cast<int>(state.range(0)));
  platform.SetOperator([&](ui::TForm& form) {
    RightsOn(form, outline, nodes);
    KeysHeadless(state, ChosenFunctionRights(form), " ");
    form.OnCloseQuery = nullptr;
    form.SetModalResult(ui::mrCancel);
  });
  OpenUserDialog();
  state.counters["nodes"] = static_cast<double>(nodes);
}
BENCHMARK(BM_KeystrokeUserDialogHeadless)->Arg(1)->Arg(kTopNodes)->Unit(benchmark::kMicrosecond);

void BM_KeystrokeUserDialogQt(benchmark::State& state) {
  Data();
  AnswerTheUserDialog();
  auto qt = std::make_unique<ui::QtDesktop>(nullptr);
  ui::QtDesktop& desktop = *qt;
  Installed installed(std::move(qt));
  std::size_t nodes = 0;
  const std::string outline = MakeOutline(static_cast<int>(state.range(0)));
  desktop.SetOnShown([&](ui::FormWindow& window) {
    RightsOn(window.Form(), outline, nodes);
    ui::TCheckListBox& rights = ChosenFunctionRights(window.Form());
    const bool before = rights.Checked(0);
    KeysQt(state, window, rights, " ");
    if (rights.Checked(0) == before && state.iterations() % 2 == 1) {
      state.SkipWithError("the keys did not reach the list");
    }
    window.Form().OnCloseQuery = nullptr;
    window.Form().SetModalResult(ui::mrCancel);
    window.CheckClose();
  });
  OpenUserDialog();
  desktop.SetOnShown(nullptr);
  state.counters["nodes"] = static_cast<double>(nodes);
}
BENCHMARK(BM_KeystrokeUserDialogQt)->Arg(1)->Arg(kTopNodes)->Unit(benchmark::kMicrosecond);

// A form with an edit above a list of rows rows: a list view in report style (kind 0),
// a check list box (1) or a tree view of top-level nodes (2).
class TBigListFrm : public ui::TForm {
 public:
  TBigListFrm(int kind, int rows) : TForm(nullptr, "BigListFrm") {
    SetCaption("Rows");
    SetBounds(0, 0, 640, 480);
    NameEdt = ui::Create<ui::TEdit>(this, this, "NameEdt");
    NameEdt->SetBounds(0, 0, 640, 24);
    NameEdt->SetAlign(ui::alTop);
    NameEdt->OnChange = [this](ui::TComponent*) { ++Changes; };
    const std::string name = sys::Utf8ToGbk("上海浦东发展银行股份有限公司");
    ui::TControl* list = nullptr;
    if (kind == 0) {
      auto* view = ui::Create<ui::TListView>(this, this, "RowsLsv");
      view->SetRowSelect(true);
      for (const char* title : {"Number", "Name", "Amount"}) {
        view->AddColumn({title, 150, ui::taLeftJustify});
      }
      for (int i = 0; i < rows; ++i) {
        view->AddItem("B" + std::to_string(i), {name, std::to_string(i) + ".25"});
      }
      view->SetItemIndex(rows / 2);
      list = view;
    } else if (kind == 1) {
      auto* box = ui::Create<ui::TCheckListBox>(this, this, "RowsClb");
      ui::TStrings items;
      for (int i = 0; i < rows; ++i) {
        items.push_back("B" + std::to_string(i) + " " + name);
      }
      box->SetItems(std::move(items));
      for (int i = 0; i < rows; i += 997) {
        box->SetChecked(i, true);
      }
      box->SetItemIndex(rows / 2);
      list = box;
    } else {
      auto* tree = ui::Create<ui::TTreeView>(this, this, "RowsTrv");
      for (int i = 0; i < rows; ++i) {
        tree->AddChild(nullptr, "B" + std::to_string(i) + " " + name);
      }
      list = tree;
    }
    list->SetAlign(ui::alClient);
    Realign();
  }
  const char* ClassName() const override { return "TBigListFrm"; }
  ui::TEdit* NameEdt;
  benchmark::IterationCount Changes = 0;  // of the edit's text
};

void BM_KeystrokeBesideListHeadless(benchmark::State& state) {
  auto headless = std::make_unique<ui::HeadlessPlatform>();
  ui::HeadlessPlatform& platform = *headless;
  Installed installed(std::move(headless));
  TBigListFrm form(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  platform.SetOperator([&](ui::TForm&) {
    KeysHeadless(state, *form.NameEdt, "a\b");
    form.SetModalResult(ui::mrCancel);
  });
  form.ShowModal();
  if (form.Changes != state.iterations()) {
    state.SkipWithError("the keys did not reach the edit");
  }
  state.counters["rows"] = static_cast<double>(state.range(1));
}

void BM_KeystrokeBesideListQt(benchmark::State& state) {
  auto qt = std::make_unique<ui::QtDesktop>(nullptr);
  ui::QtDesktop& desktop = *qt;
  Installed installed(std::move(qt));
  TBigListFrm form(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  desktop.SetOnShown([&](ui::FormWindow& window) {
    KeysQt(state, window, *form.NameEdt, "a\b");
    if (form.Changes != state.iterations()) {
      state.SkipWithError("the keys did not reach the edit");
    }
    form.SetModalResult(ui::mrCancel);
    window.CheckClose();
  });
  form.ShowModal();
  desktop.SetOnShown(nullptr);
  state.counters["rows"] = static_cast<double>(state.range(1));
}

// Each kind with 100 rows and with 100,000: a keystroke should cost the same beside both.
void BesideListArgs(benchmark::internal::Benchmark* bench) {
  for (int kind = 0; kind < 3; ++kind) {
    for (int rows : {100, kRows}) {
      bench->Args({kind, rows});
    }
  }
  bench->ArgNames({"kind", "rows"})->Unit(benchmark::kMicrosecond);
}
BENCHMARK(BM_KeystrokeBesideListHeadless)->Apply(BesideListArgs);
BENCHMARK(BM_KeystrokeBesideListQt)->Apply(BesideListArgs);

constexpr int kImportLines = 50000;
// What the fake host spends on each line, about what the embedded bank spends on one
// (its processor time per line in custimport_bench), so that the window's turns carry
// as many lines as they do against a bank.
constexpr auto kHostTimePerLine = std::chrono::microseconds(150);

// The import file, written once: customer ids, Chinese names, accounts and banks.
const std::string& ImportFile() {
  static const std::string path = [] {
    const std::string name = sys::Utf8ToGbk("杭州新光电器有限公司");
    const std::string bank = sys::Utf8ToGbk("中国银行杭州分行");
    std::string text;
    for (int n = 0; n < kImportLines; ++n) {
      const std::string digits = std::to_string(100000 + n);
      text.append("Q").append(digits).append("@").append(name).append(digits);
      text.append("@6222").append(digits).append("@").append(bank).append("\r\n");
    }
    std::string file = Data().folder + "/import.txt";
    sys::WriteFileBytes(file, text);
    return file;
  }();
  return path;
}

// Imports the file through the dialog: the operator clicks its import button, then the
// dialog closes. Returns the heap in use when the import had ended, before the close.
std::size_t Import(const std::function<void(ui::TForm&, const std::function<void()>&)>& on) {
  fakehost::Reset();
  fakehost::OnAny([](const fakehost::Call&) {
    const auto until = std::chrono::steady_clock::now() + kHostTimePerLine;
    while (std::chrono::steady_clock::now() < until) {
    }
    return fakehost::Answer::Ok("1");
  });
  customer::TCustSnapInFrm form({.CorpNo = "0012", .UserNo = "000001", .FunctionId = 201});
  form.FilenameEdt->SetText(ImportFile());
  std::size_t heap = 0;
  on(form, [&] {
    ui::ClickControl(*form.SaveBtn);
    heap = HeapInUse();
  });
  form.ShowModal();
  fakehost::Reset();
  if (form.logMmo->LineCount() != 2 * kImportLines + kImportLines / 10000 + 2) {
    std::abort();
  }
  return heap;
}

void BM_ImportHeadless(benchmark::State& state) {
  Data();
  ImportFile();
  auto headless = std::make_unique<ui::HeadlessPlatform>();
  ui::HeadlessPlatform& platform = *headless;
  Installed installed(std::move(headless));
  std::size_t grown = 0;
  for (auto _ : state) {
    const std::size_t before = HeapInUse();
    grown = Import([&platform](ui::TForm&, const std::function<void()>& act) {
              OnHeadless(platform, [act](ui::TForm&) { act(); });
            }) -
            before;
  }
  state.SetItemsProcessed(state.iterations() * kImportLines);
  state.counters["heap_bytes_per_line"] = static_cast<double>(grown) / kImportLines;
}
BENCHMARK(BM_ImportHeadless)->Unit(benchmark::kSecond)->Iterations(1);

// The Qt platform, noting the longest time between two of its turns.
class TurnTimer : public ui::QtDesktop {
 public:
  TurnTimer() : QtDesktop(nullptr) {}
  void ProcessPendingEvents() override {
    const std::uint64_t start = sys::TickCount();
    QtDesktop::ProcessPendingEvents();
    const std::uint64_t now = sys::TickCount();
    if (last != 0) {
      maxGap = std::max(maxGap, now - last);
    }
    maxTurn = std::max(maxTurn, now - start);
    last = now;
  }
  std::uint64_t last = 0;
  std::uint64_t maxGap = 0;
  std::uint64_t maxTurn = 0;
};

void BM_ImportQt(benchmark::State& state) {
  Data();
  ImportFile();
  auto qt = std::make_unique<TurnTimer>();
  TurnTimer& desktop = *qt;
  Installed installed(std::move(qt));
  std::size_t grown = 0;
  for (auto _ : state) {
    const std::size_t before = HeapInUse();
    desktop.last = 0;
    grown = Import([&desktop](ui::TForm&, const std::function<void()>& act) {
              desktop.SetOnShown([act](ui::FormWindow& window) {
                act();
                window.Form().SetModalResult(ui::mrCancel);
                window.CheckClose();
              });
            }) -
            before;
    desktop.SetOnShown(nullptr);
  }
  state.SetItemsProcessed(state.iterations() * kImportLines);
  state.counters["max_gap_ms"] = static_cast<double>(desktop.maxGap);
  state.counters["max_turn_ms"] = static_cast<double>(desktop.maxTurn);
  state.counters["heap_bytes_per_line"] = static_cast<double>(grown) / kImportLines;
}
BENCHMARK(BM_ImportQt)->Unit(benchmark::kSecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
  ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
