// The usage list editor and its entry point Mn_UsageEdit.
#include "admin/UsageEdtFrm.h"

#include <cstdint>
#include <optional>
#include <utility>

#include "frame/CommandText.h"
#include "frame/FormBuilder.h"
#include "frame/GbkText.h"
#include "frame/HostChannel.h"
#include "frame/ListFillers.h"
#include "frame/Localisation.h"
#include "frame/ManageEdit.h"
#include "sys/CodePage.h"
#include "ui/FormDesign.h"

namespace admin {
namespace {

// The answer of a batch run with "set nocount on" is empty; only the status counts.
constexpr std::size_t kSaveAnswerSize = 48;

// A fixed text of this dialog as the operator sees it.
std::string Shown(const char* utf8) {
  return frame::ShownText(sys::Utf8ToGbk(utf8));
}

void Tell(const char* utf8) {
  ui::ShowMessage(Shown(utf8));
}

// A Yes/No question whose default button is No, so that Enter never confirms it.
bool AskNoByDefault(const std::string& caption, const char* utf8) {
  return ui::AskYesNo(caption, Shown(utf8), ui::MsgIcon::None, 2);
}

// An answer of blanks only holds no usage: stored, it would be an empty purpose line.
bool HoldsNoText(std::string_view answer) {
  return frame::TrimView(answer).empty();
}

// The designed geometry, kept as data: UsageEdtFrm.layout.
constexpr char kLayout[] =
#include "UsageEdtFrm.layout"
    ;

}  // namespace

std::string BuildUsageSaveBatch(std::string_view corpNo, std::string_view userNo,
                                const std::vector<std::string>& usages) {
  std::string batch =
      frame::FormatCommand("set nocount on\r\nexec MN_UsageDelete %s\r\n", {corpNo});
  for (std::size_t i = 0; i < usages.size(); ++i) {
    batch += frame::FormatCommand("exec MN_UsageInsert %s,%s,%s,%d\r\n",
                                  {corpNo, userNo, usages[i], static_cast<std::int32_t>(i)});
  }
  return batch;
}

TUsageEdtFrm::TUsageEdtFrm(const frame::EntryArgs& call, const sys::IniFile& lang)
    : TDialogFrm("UsageEdtFrm", call) {
  SetCaption(sys::Utf8ToGbk("用途"));

  UsagePop = new ui::TPopupMenu(this, "UsagePop");
  auto item = [this](const char* name, const char* caption, void (TUsageEdtFrm::*handler)()) {
    auto* mit = new ui::TMenuItem(this, name, UsagePop);
    mit->SetCaption(sys::Utf8ToGbk(caption));
    if (handler != nullptr) {
      mit->OnClick = [this, handler](ui::TComponent*) { (this->*handler)(); };
    }
    return mit;
  };
  AddNewMit = item("AddNewMit", "新增", &TUsageEdtFrm::AddNewBtnClick);
  EditMit = item("EditMit", "修改", &TUsageEdtFrm::EditBtnClick);
  DeleteMit = item("DeleteMit", "删除", &TUsageEdtFrm::DeleteBtnClick);
  SepMit = item("SepMit", "-", nullptr);
  UpMit = item("UpMit", "上移", &TUsageEdtFrm::UpBtnClick);
  DownMit = item("DownMit", "下移", &TUsageEdtFrm::DownBtnClick);
  SetDefaultMit = item("SetDefaultMit", "设为默认", &TUsageEdtFrm::SetDefaultBtnClick);

  const frame::TFormBuilder build(*this);
  TipLbl = build.Label("TipLbl", "默认");
  ui::TFont blue = TipLbl->Font();
  blue.Color = ui::clBlue;
  TipLbl->SetFont(blue);

  UsageList = build.Add<ui::TListBox>("UsageList");
  UsageList->SetPopupMenu(UsagePop);

  auto button = [this, &build](const char* name, const char* caption,
                               void (TUsageEdtFrm::*handler)()) {
    return build.Button(name, caption, [this, handler] { (this->*handler)(); });
  };
  AddNewBtn = button("AddNewBtn", "新增", &TUsageEdtFrm::AddNewBtnClick);
  EditBtn = button("EditBtn", "修改", &TUsageEdtFrm::EditBtnClick);
  DeleteBtn = button("DeleteBtn", "删除", &TUsageEdtFrm::DeleteBtnClick);
  UpBtn = button("UpBtn", "上移", &TUsageEdtFrm::UpBtnClick);
  DownBtn = button("DownBtn", "下移", &TUsageEdtFrm::DownBtnClick);
  SetDefaultBtn = button("SetDefaultBtn", "设为默认", &TUsageEdtFrm::SetDefaultBtnClick);
  SaveBtn = button("SaveBtn", "保存", &TUsageEdtFrm::SaveBtnClick);
  CancelBtn = button("CancelBtn", "放弃", &TUsageEdtFrm::CancelBtnClick);
  CancelBtn->SetCancel(true);

  OnCloseQuery = [this](ui::TComponent*, bool& canClose) { FormCloseQuery(canClose); };

  FinishDesign(kLayout, lang);
}

void TUsageEdtFrm::ApplyLanguage(const sys::IniFile& file) {
  frame::ApplyFormLanguage(*this, "Usage", file, LangId);
}

void TUsageEdtFrm::LoadUsages() {
  std::vector<std::string> usages;
  // A failed read (reported by the channel) shows an empty list.
  (void)frame::FillUsageList(ShellWnd, CorpNo, UserNo, usages);
  UsageList->SetItems(std::move(usages));
  UsageList->SetItemIndex(-1);
}

std::string TUsageEdtFrm::AskUsage(const char* captionUtf8, const std::string& def) {
  std::string answer = def;
  if (!ui::CurrentPlatform().InputBox(Shown(captionUtf8), Shown("请输入用途:      "), answer)) {
    answer = def;
  }
  return answer;
}

void TUsageEdtFrm::SwapItems(int a, int b) {
  UsageList->ExchangeItems(a, b);
}

// Appends a new text; an empty one or one the list already holds exactly is refused.
void TUsageEdtFrm::AddNewBtnClick() {
  const std::string answer = AskUsage("新增用途", "");
  if (HoldsNoText(answer)) {
    Tell("没有输入内容，未新增");
    return;
  }
  for (const std::string& usage : UsageList->Items()) {
    if (usage == answer) {
      Tell("已有相同用途，未新增");
      return;
    }
  }
  UsageList->AddItem(answer);
  Modified = true;
}

// Replaces the selected text. A cancelled prompt answers the text unchanged, which is
// still taken as an edit.
void TUsageEdtFrm::EditBtnClick() {
  const int index = UsageList->ItemIndex();
  if (index < 0) {
    Tell("请先选择要修改的用途");
    return;
  }
  const std::string answer =
      AskUsage("修改用途", UsageList->Items()[static_cast<std::size_t>(index)]);
  if (HoldsNoText(answer)) {
    Tell("没有输入内容，未修改");
    return;
  }
  UsageList->SetItem(index, answer);
  Modified = true;
}

// Removes the selected text after asking; the selection stays at its place, or on the
// new last item.
void TUsageEdtFrm::DeleteBtnClick() {
  const int index = UsageList->ItemIndex();
  if (index < 0) {
    return;
  }
  if (!AskNoByDefault("", "是否删除该用途?")) {
    return;
  }
  UsageList->DeleteItem(index);
  const int count = static_cast<int>(UsageList->Items().size());
  UsageList->SetItemIndex(count == 0 ? -1 : (index < count ? index : count - 1));
  Modified = true;
}

void TUsageEdtFrm::UpBtnClick() {
  const int index = UsageList->ItemIndex();
  if (index > 0) {
    SwapItems(index - 1, index);
    UsageList->SetItemIndex(index - 1);
    Modified = true;
  }
}

void TUsageEdtFrm::DownBtnClick() {
  const int index = UsageList->ItemIndex();
  if (index >= 0 && index < static_cast<int>(UsageList->Items().size()) - 1) {
    SwapItems(index, index + 1);
    UsageList->SetItemIndex(index + 1);
    Modified = true;
  }
}

// Moves the selected text to the front, the others keeping their order.
void TUsageEdtFrm::SetDefaultBtnClick() {
  const int index = UsageList->ItemIndex();
  if (index < 1) {
    return;
  }
  std::vector<std::string> reordered;
  reordered.reserve(UsageList->Items().size());
  reordered.push_back(UsageList->Items()[static_cast<std::size_t>(index)]);
  for (int i = 0; i < static_cast<int>(UsageList->Items().size()); ++i) {
    if (i != index) {
      reordered.push_back(UsageList->Items()[static_cast<std::size_t>(i)]);
    }
  }
  UsageList->SetItems(std::move(reordered));
  UsageList->SetItemIndex(-1);
  Modified = true;
}

// Stores the list as it stands in one batch. An empty list is never stored. A batch the
// host refuses changes nothing on the server; the channel has shown why, and the dialog
// stays open with the operator's list so that nothing typed is lost.
void TUsageEdtFrm::SaveBtnClick() {
  if (UsageList->Items().empty()) {
    return;
  }
  const std::string batch = BuildUsageSaveBatch(CorpNo, UserNo, UsageList->Items());
  std::string answer;
  if (frame::HostCommand(ShellWnd, frame::kChannelMain, batch, answer, kSaveAnswerSize) != 0) {
    return;
  }
  SetModalResult(ui::mrOk);
}

void TUsageEdtFrm::CancelBtnClick() {
  SetModalResult(ui::mrCancel);
}

// Leaving without saving, by the cancel button or the close box, asks first once the
// list has changed.
void TUsageEdtFrm::FormCloseQuery(bool& canClose) {
  if (ModalResult() != ui::mrCancel || !Modified) {
    return;
  }
  canClose = AskNoByDefault(Shown("放弃存盘"), "用途设置已经修改，是否放弃?");
}

namespace {

// The dialog's result is not used: the caller's record always ends all zero.
frame::DialogOutcome OpenUsageEdit(frame::DialogEntryCall& call) {
  TUsageEdtFrm form(call.Args());
  form.LoadUsages();
  form.ShowModal();
  return std::nullopt;
}

}  // namespace

}  // namespace admin

TAVRO_DIALOG_ENTRY(Mn_UsageEdit, frame::DialogEntrySpec{}, admin::OpenUsageEdit)
