#include "admin/UserEditFrm.h"

#include "frame/CommaList.h"
#include "frame/FormBuilder.h"
#include "frame/GbkText.h"
#include "frame/HostChannel.h"
#include "frame/ListFillers.h"
#include "frame/Localisation.h"
#include "frame/ResultText.h"
#include "frame/ShellFunc.h"
#include "sys/CodePage.h"
#include "sys/Files.h"
#include "sys/IniFile.h"
#include "ui/FormDesign.h"

namespace admin {
namespace {

// The right names RightClb shows when the language file has none: it always needs five.
constexpr const char* kDefaultRightNames[kShownRights] = {"查询", "新增", "修改", "删除", "授权"};
constexpr char kDefaultStatusList[] = "0:已删除,1:待复核,2:允许使用,9:待激活";
constexpr char kSelectCorpFirst[] = "请先选择所属企业！/Select Belong Corp Please";
constexpr char kDefaultRightsQuestion[] =
    "默认权限是用户所有功能只能查询，将清除原先设置的权限，是否继续？";
constexpr char kNodeRightsSaving[] = "正在更新用户节点权限记录";
constexpr char kNoNewUser[] = "经办人员只能由银行新增/Only Bank Can Add New User.";

// The designed geometry (and the language keys of the captions), kept as data:
// UserEditFrm.layout.
constexpr char kLayout[] =
#include "UserEditFrm.layout"
    ;

// Result buffers of the rights commands.
constexpr std::size_t kBatchBufferSize = 1024;
constexpr std::size_t kNodeBatchBufferSize = 48;

// A fixed text as the operator sees it.
std::string Shown(const char* utf8) {
  return frame::ShownText(sys::Utf8ToGbk(utf8));
}

// The five item texts of RightClb from a comma list: missing names take their default,
// names beyond the fifth are dropped.
ui::TStrings RightNames(std::string_view list) {
  ui::TStrings names = frame::SplitCommaList(list);
  names.resize(kShownRights);
  for (std::size_t k = 0; k < kShownRights; ++k) {
    if (names[k].empty()) {
      names[k] = sys::Utf8ToGbk(kDefaultRightNames[k]);
    }
  }
  return names;
}

// Checks each item equal to one of rows, Latin letters compared without regard to case.
void CheckMatchingItems(ui::TCheckListBox& list, const std::vector<std::string>& rows) {
  for (const std::string& row : rows) {
    const std::string wanted = frame::GbkUpperAscii(row);
    for (std::size_t i = 0; i < list.Items().size(); ++i) {
      if (frame::GbkUpperAscii(list.Items()[i]) == wanted) {
        list.SetChecked(static_cast<int>(i), true);
      }
    }
  }
}

std::vector<std::string> CheckedItems(const ui::TCheckListBox& list) {
  std::vector<std::string> items;
  for (std::size_t i = 0; i < list.Items().size(); ++i) {
    if (list.Checked(static_cast<int>(i))) {
      items.push_back(list.Items()[i]);
    }
  }
  return items;
}

// The rights file belongs to one call of the entry point: removed on every path out.
class RightsFileScope {
 public:
  RightsFileScope() = default;
  ~RightsFileScope() {
    try {
      sys::DeleteFile(RightsFilePath());
    } catch (const std::exception&) {
      // No usable temporary folder: there is no file to remove either.
    }
  }
  RightsFileScope(const RightsFileScope&) = delete;
  RightsFileScope& operator=(const RightsFileScope&) = delete;
};

}  // namespace

TUserEditFrm::TUserEditFrm(const frame::EntryArgs& call, const sys::IniFile& lang)
    : TDialogFrm("UserEditFrm", call) {
  CreateControls();
  FinishDesign(kLayout, lang);
}

void TUserEditFrm::CreateControls() {
  SetCaption(sys::Utf8ToGbk("用户设置"));
  ui::TFont font = Font();
  font.Bold = true;
  SetFont(font);

  const frame::TFormBuilder build(*this);
  UserInfoGrp = build.Add<ui::TGroupBox>("UserInfoGrp", "用户信息");
  UserInfoGrp->SetEnabled(false);
  const frame::TFormBuilder info = build.In(*UserInfoGrp);
  CorpNameLbl = info.FieldLabel("CorpNameLbl", "企业名称");
  CorpNameEdt = info.Edit("CorpNameEdt");
  IdLbl = info.FieldLabel("IdLbl", "用户代码");
  IdEdt = info.Edit("IdEdt");
  UserNameLbl = info.FieldLabel("UserNameLbl", "用户姓名");
  NameEdt = info.Edit("NameEdt");
  UserRightLbl = info.FieldLabel("UserRightLbl", "用户级别");
  RightCmb = info.PickList("RightCmb");
  RightCmb->SetItems({"O", "B", "A", "D", "S"});
  StatusLbl = info.FieldLabel("StatusLbl", "状态");
  StatusCmb = info.PickList("StatusCmb");
  StatusCmb->SetItems(frame::SplitCommaList(sys::Utf8ToGbk(kDefaultStatusList)));

  UserRightGrp = build.Add<ui::TGroupBox>("UserRightGrp", "权限设置");
  const frame::TFormBuilder rights = build.In(*UserRightGrp);
  BelongCorpLbl = rights.FieldLabel("BelongCorpLbl", "所属企业");
  BelongCorpCmb = rights.PickList("BelongCorpCmb");
  BelongCorpCmb->OnEnter = [this](ui::TComponent*) { BelongCorpCmbEnter(); };
  BelongCorpCmb->OnChange = [this](ui::TComponent*) { BelongCorpCmbChange(); };
  CheckRightCkb = rights.CheckBox("CheckRightCkb", "复核权限设置");
  CheckRightCkb->OnClick = [this](ui::TComponent*) { CheckRightCkbClick(); };
  CheckRightClb = rights.Add<ui::TCheckListBox>("CheckRightClb");
  UserViewNodeCkb = rights.CheckBox("UserViewNodeCkb", "业务权限设置");
  UserViewNodeCkb->OnClick = [this](ui::TComponent*) { UserViewNodeCkbClick(); };
  MainDirTrv = rights.Add<ui::TTreeView>("MainDirTrv");
  MainDirTrv->SetReadOnly(true);
  MainDirTrv->OnClick = [this](ui::TComponent*) { MainDirTrvClick(); };
  RightClb = rights.Add<ui::TCheckListBox>("RightClb");
  RightClb->SetItems(RightNames(""));
  RightClb->SetEnabled(false);  // until a node is shown (EnableRightList)
  RightClb->OnExit = [this](ui::TComponent*) { RightClbExit(); };
  DefRightBtn = rights.Button("DefRightBtn", "默认权限-查询", [this] { DefRightBtnClick(); });
  DefRightBtn->SetEnabled(false);
  AcRightCkb = rights.CheckBox("AcRightCkb", "账号权限设置");
  AcRightCkb->OnClick = [this](ui::TComponent*) { AcRightCkbClick(); };
  AcNoClb = rights.Add<ui::TCheckListBox>("AcNoClb");

  UpdateBtn = build.SaveButton(
      "UpdateBtn", [this] { UpdateBtnClick(); }, false);
  CancelBtn = build.CloseButton("CancelBtn", "放弃");
  StatusShowLbl = build.Add<ui::TLabel>("StatusShowLbl");

  OnCloseQuery = [this](ui::TComponent*, bool& canClose) { FormCloseQuery(canClose); };
}

void TUserEditFrm::ApplyLanguage(const sys::IniFile& file) {
  auto text = [&](const char* key, std::string_view def = "") {
    return frame::GetLangTextOpen(file, LangId, key, def);
  };
  frame::ApplyLayoutTexts(*this, kLayout, file, LangId);
  RightClb->SetItems(RightNames(text("Mnu_UserEdt_Right_List")));
  StatusLbl->SetCaption(text("Lbl_Common_Status_Text", sys::Utf8ToGbk("状态")));
  StatusCmb->SetItems(
      frame::SplitCommaList(text("Mnu_UserEdt_Status_List", sys::Utf8ToGbk(kDefaultStatusList))));
  BelongCorpLbl->SetCaption(text("Lbl_UserEdt_BelongCorp_Text", sys::Utf8ToGbk("归属企业")));
}

void TUserEditFrm::LoadOperator(const std::string& userNo) {
  OperatorRec = frame::GetUserRec(ShellWnd, userNo);
}

void TUserEditFrm::LoadUser() {
  const frame::TUserRec user = frame::GetUserRec(ShellWnd, IdEdt->Text());
  CorpNameEdt->SetText(user.CorpName);
  NameEdt->SetText(user.UserName);
  const std::string status = std::to_string(user.Status);
  for (std::size_t i = 0; i < StatusCmb->Items().size(); ++i) {
    if (frame::TextBefore(StatusCmb->Items()[i], ":") == status) {
      StatusCmb->SetItemIndex(static_cast<int>(i));
      break;
    }
  }
  RightCmb->SetItemIndex(ui::IndexOfItem(RightCmb->Items(), user.UserLevel));

  sys::DeleteFile(RightsFilePath());
  RightsFile.reset();

  std::vector<std::string> corps;
  if (frame::HostCommandList(
          ShellWnd, frame::kChannelMain,
          frame::FormatCommand("MN_GetUserCorpList %s,%s", {"CN", IdEdt->Text()}), corps)) {
    BelongCorpCmb->SetItems(std::move(corps));
    BelongCorpCmb->SetItemIndex(-1);
  }
  if (BelongCorpCmb->Items().size() == 1) {
    BelongCorpCmb->SetItemIndex(0);
  }
  EnableSave();
}

void TUserEditFrm::EnableSave() {
  Rights = std::string(
      frame::GbkCut(frame::LookupNodeRights(ShellWnd, CorpNo, OperatorRec.UserId, FunctionId),
                    frame::kRightsLen));
  UpdateBtn->SetEnabled(frame::RightGranted(Rights, frame::kRightModify) &&
                        OperatorRec.UserLevel == "D");
}

std::string TUserEditFrm::BelongCorpNo() const {
  return std::string(frame::GbkCut(BelongCorpCmb->Text(), frame::kCorpIdLen));
}

std::string TUserEditFrm::LangText(const char* key) const {
  return frame::GetLangText(LangId, key, "");
}

bool TUserEditFrm::Confirm(const std::string& text) const {
  return ui::AskYesNo(ui::kAppTitle, text);
}

void TUserEditFrm::BelongCorpCmbEnter() {
  PrevCorpText = BelongCorpCmb->Text();
}

// Rights fetched for one corporation must never be saved for another.
void TUserEditFrm::BelongCorpCmbChange() {
  if (BelongCorpCmb->Text() == PrevCorpText) {
    return;
  }
  CheckRightCkb->SetChecked(false);
  UserViewNodeCkb->SetChecked(false);
  AcRightCkb->SetChecked(false);
}

bool TUserEditFrm::CorpSelected(ui::TCheckBox& areaCkb) {
  if (BelongCorpCmb->ItemIndex() >= 0) {
    return true;
  }
  ui::ShowMessage(Shown(kSelectCorpFirst));
  areaCkb.SetChecked(false);
  BelongCorpCmb->SetFocus();
  return false;
}

// An area's box: unticking closes the area; ticking opens it once a corporation is
// chosen.
void TUserEditFrm::FollowAreaBox(ui::TCheckBox& areaCkb, void (TUserEditFrm::*on)(),
                                 void (TUserEditFrm::*off)()) {
  if (!areaCkb.Checked()) {
    (this->*off)();
  } else if (CorpSelected(areaCkb)) {
    (this->*on)();
  }
}

void TUserEditFrm::CheckRightCkbClick() {
  FollowAreaBox(*CheckRightCkb, &TUserEditFrm::ReviewRightsOn, &TUserEditFrm::ReviewRightsOff);
}

void TUserEditFrm::UserViewNodeCkbClick() {
  FollowAreaBox(*UserViewNodeCkb, &TUserEditFrm::NodeRightsOn, &TUserEditFrm::NodeRightsOff);
}

void TUserEditFrm::AcRightCkbClick() {
  FollowAreaBox(*AcRightCkb, &TUserEditFrm::AccountRightsOn, &TUserEditFrm::AccountRightsOff);
}

void TUserEditFrm::ReviewRightsOn() {
  const std::string corp = BelongCorpNo();
  const std::string user = IdEdt->Text();
  CheckRightClb->SetEnabled(true);
  std::vector<std::string> rows;
  if (frame::FillUserList(ShellWnd, corp, user, rows)) {
    CheckRightClb->SetItems(std::move(rows));
  }
  if (frame::FillCheckUserList(ShellWnd, corp, user, rows)) {
    CheckMatchingItems(*CheckRightClb, rows);
  }
}

void TUserEditFrm::ReviewRightsOff() {
  CheckRightClb->Clear();
  CheckRightClb->SetEnabled(false);
}

void TUserEditFrm::NodeRightsOn() {
  const std::string corp = BelongCorpNo();
  DefRightBtn->SetEnabled(true);
  MainDirTrv->SetEnabled(true);

  std::string outline;
  if (frame::LookupViewNodes(ShellWnd, LangId, corp, outline, frame::kListBufferSize, "ALL") != 0) {
    ui::ShowMessage(LangText("Msg_Shell_Error_MenuGet"));
  } else if (outline.size() >= 6) {
    try {
      MainDirTrv->LoadOutline(outline);
    } catch (const ui::EOutlineError& e) {
      // The tree stays as it was; the rights below are still read afresh, so that
      // nothing kept from an earlier corporation can reach the save.
      ui::ShowMessage(e.what());
    }
  } else {
    MainDirTrv->Clear();
  }

  const std::string path = RightsFilePath();
  RightsFile.reset();
  sys::DeleteFile(path);
  if (frame::HostFileCommand(
          ShellWnd, frame::kChannelMain,
          frame::FormatCommand("MN_GetNodeRightList %s,%s", {corp, IdEdt->Text()}), path) != 0) {
    sys::DeleteFile(path);  // whatever a failed command left is no rights file
  }
  RightsFile = LoadRightsFile(path);
  EnableRightList();
}

// The shown rights belong to the tree that is removed: nothing is stored for its node
// until a node of the next tree is clicked.
void TUserEditFrm::NodeRightsOff() {
  DefRightBtn->SetEnabled(false);
  RightClb->SetEnabled(false);
  MainDirTrv->Clear();
  MainDirTrv->SetEnabled(false);
  CurNodeId.clear();
  for (std::size_t k = 0; k < RightClb->Items().size(); ++k) {
    RightClb->SetChecked(static_cast<int>(k), false);
  }
  if (RightsFile) {
    SaveRightsFile(*RightsFile);
    RightsFile.reset();
  }
}

void TUserEditFrm::AccountRightsOn() {
  const std::string corp = BelongCorpNo();
  const std::string user = IdEdt->Text();
  AcNoClb->SetEnabled(true);
  std::vector<std::string> rows;
  if (frame::FillAcNoList(ShellWnd, 99, "", corp, user, rows)) {
    AcNoClb->SetItems(std::move(rows));
  }
  if (frame::FillUserCheckAcList(ShellWnd, corp, user, rows)) {
    CheckMatchingItems(*AcNoClb, rows);
  }
}

void TUserEditFrm::AccountRightsOff() {
  AcNoClb->SetEnabled(false);
}

// Ticks stand for the node the list shows: with no node selected there is nothing they
// could be stored for, so the list takes none.
void TUserEditFrm::EnableRightList() {
  RightClb->SetEnabled(UserViewNodeCkb->Checked() && MainDirTrv->Selected() != nullptr &&
                       OperatorRec.UserLevel == "D");
}

void TUserEditFrm::MainDirTrvClick() {
  const ui::TTreeNode* node = MainDirTrv->Selected();
  EnableRightList();
  if (node == nullptr) {
    RightClb->SetVisible(false);
    return;
  }
  RightClb->SetVisible(true);
  CurNodeId = std::string(frame::GbkCut(NodeIdOf(node->Text()), kNodeIdLen));
  const std::string mask =
      RightsFile ? ReadRightsEntry(*RightsFile, kRightSection, CurNodeId, kNoRightsMask)
                 : std::string(kNoRightsMask);
  const TShownRights shown = ShownRightsOf(frame::GbkCut(mask, kMaskLen));
  for (std::size_t k = 0; k < kShownRights; ++k) {
    RightClb->SetChecked(static_cast<int>(k), shown[k]);
  }
}

void TUserEditFrm::RightClbExit() {
  if (!RightsFile) {
    return;
  }
  TShownRights checked{};
  for (std::size_t k = 0; k < kShownRights; ++k) {
    checked[k] = RightClb->Checked(static_cast<int>(k));
  }
  if (StoreNodeRights(*RightsFile, CurNodeId, MaskOf(checked))) {
    SaveRightsFile(*RightsFile);
  }
}

// Unlike the dialog's other questions, this one has an empty caption.
void TUserEditFrm::DefRightBtnClick() {
  if (!ui::AskYesNo("", Shown(kDefaultRightsQuestion))) {
    return;
  }
  if (!RightsFile) {
    RightsFile = LoadRightsFile(RightsFilePath());
  }
  ApplyDefaultRights(*RightsFile, MainDirTrv->Nodes());
  SaveRightsFile(*RightsFile);
}

void TUserEditFrm::UpdateBtnClick() {
  if (frame::GbkUpperAscii(frame::Trim(RightCmb->Text())) == "D" &&
      !Confirm(LangText("Msg_UserEdt_ErrorAdminSetup_Warnning"))) {
    return;
  }
  {
    ui::HourglassScope hourglass;
    const std::string userId = IdEdt->Text();
    StatusShowLbl->SetCaption(LangText("Msg_UserEdt_UpdateStep1_Hint"));
    if (CheckRightCkb->Checked()) {
      const std::vector<std::string> items = CheckedItems(*CheckRightClb);
      StatusShowLbl->SetCaption(LangText("Msg_UserEdt_UpdateStep2_Hint"));
      SaveReviewRights(userId, items);
    }
    if (AcRightCkb->Checked()) {
      std::vector<std::string> accounts;
      for (const std::string& item : CheckedItems(*AcNoClb)) {
        accounts.push_back(frame::TextBefore(item, ":"));
      }
      StatusShowLbl->SetCaption(LangText("Msg_UserEdt_UpdateStep3_Hint"));
      SaveAccountRights(userId, accounts);
    }
    if (UserViewNodeCkb->Checked()) {
      SaveNodeRights(BelongCorpNo(), userId);
    }
  }
  SetModalResult(ui::mrOk);
}

// Each of the three saves stands alone: a failure, reported by the channel, does not
// stop the next one (UpdateBtnClick), so its status is not needed.
void TUserEditFrm::SendRightsBatch(const std::string& batch, std::size_t answerSize) {
  std::string answer;
  (void)frame::HostCommand(ShellWnd, frame::kChannelMain, batch, answer, answerSize);
}

void TUserEditFrm::SaveReviewRights(const std::string& userId,
                                    const std::vector<std::string>& items) {
  SendRightsBatch(ReviewRightsBatch(BelongCorpNo(), userId, items), kBatchBufferSize);
}

void TUserEditFrm::SaveAccountRights(const std::string& userId,
                                     const std::vector<std::string>& accounts) {
  SendRightsBatch(AccountRightsBatch(BelongCorpNo(), userId, accounts), kBatchBufferSize);
}

void TUserEditFrm::SaveNodeRights(const std::string& corpNo, const std::string& userId) {
  StatusShowLbl->SetCaption(Shown(kNodeRightsSaving));
  std::optional<TRightsFile> read;
  if (!RightsFile) {
    read = LoadRightsFile(RightsFilePath());
  }
  TRightsFile& file = RightsFile ? *RightsFile : *read;
  SaveRightsFile(file);
  SendRightsBatch(NodeRightsBatch(corpNo, userId, file), kNodeBatchBufferSize);
  StatusShowLbl->SetCaption(LangText("Msg_UserEdt_UpdateStep5_Hint"));
}

void TUserEditFrm::FormCloseQuery(bool& canClose) {
  if (ModalResult() == ui::mrCancel) {
    canClose = Confirm(LangText("Msg_Common_ExitWithoutSave"));
  }
}

namespace {

// The user dialog for the user named by the key; an empty key opens nothing, as only
// the bank adds users.
frame::DialogOutcome OpenUserEdit(frame::DialogEntryCall& call) {
  const frame::EntryArgs& args = call.Args();
  if (frame::TrimView(args.Key).empty()) {
    ui::ShowMessage(Shown(kNoNewUser));
    return std::nullopt;
  }
  RightsFileScope rightsFile;
  TUserEditFrm form(args);
  form.LoadOperator(args.UserNo);
  form.IdEdt->SetText(args.Key);
  form.LoadUser();
  form.EnableSave();
  return form.RunModal();
}

}  // namespace

}  // namespace admin

TAVRO_DIALOG_ENTRY(Mn_UserEdit, frame::DialogEntrySpec{}, admin::OpenUserEdit)
