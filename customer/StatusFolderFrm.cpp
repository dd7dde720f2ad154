// The processing status dialog and its entry point Mn_StatusFolderList.
#include "customer/StatusFolderFrm.h"

#include "frame/FolderList.h"
#include "frame/FormBuilder.h"
#include "frame/ListViewFill.h"
#include "frame/Localisation.h"
#include "frame/ManageEdit.h"
#include "sys/CodePage.h"
#include "ui/FormDesign.h"

namespace customer {
namespace {

// The designed texts, which are also what a language file without the key gives.
constexpr char kFormCaption[] = "处理状态";
constexpr char kGroup1Caption[] = "授权情况";
constexpr char kGroup2Caption[] = "签名情况";
constexpr char kGroup3Caption[] = "操作情况";

// The designed geometry, kept as data: StatusFolderFrm.layout.
constexpr char kLayout[] =
#include "StatusFolderFrm.layout"
    ;

// A group box holding one list view in report style.
ui::TListView* MakeFolder(const frame::TFormBuilder& build, ui::TGroupBox*& group,
                          const char* groupName, const char* caption, const char* listName) {
  group = build.Add<ui::TGroupBox>(groupName, caption);
  auto* list = build.In(*group).Add<ui::TListView>(listName);
  list->SetViewStyle(ui::vsReport);
  return list;
}

}  // namespace

TStatusFolderFrm::TStatusFolderFrm(const frame::EntryArgs& call, const sys::IniFile& lang)
    : TDialogFrm("StatusFolderFrm", call) {
  SetCaption(sys::Utf8ToGbk(kFormCaption));

  const frame::TFormBuilder build(*this);
  AuthoriseFolderLsv =
      MakeFolder(build, GroupBox1, "GroupBox1", kGroup1Caption, "AuthoriseFolderLsv");
  SignFolderLsv = MakeFolder(build, GroupBox2, "GroupBox2", kGroup2Caption, "SignFolderLsv");
  AuditFolderLsv = MakeFolder(build, GroupBox3, "GroupBox3", kGroup3Caption, "AuditFolderLsv");
  // The two trails are lists to read; the operation log is left as designed.
  for (ui::TListView* trail : {AuthoriseFolderLsv, SignFolderLsv}) {
    trail->SetReadOnly(true);
    trail->SetRowSelect(true);
  }

  FinishDesign(kLayout, lang);
}

// Unlike the other dialogs', these keys fall back on the designed texts.
void TStatusFolderFrm::ApplyLanguage(const sys::IniFile& file) {
  auto text = [&](const char* key, const char* def) {
    return frame::GetLangTextOpen(file, LangId, key, sys::Utf8ToGbk(def));
  };
  SetCaption(text("Frm_StatusFolder_Name", kFormCaption));
  GroupBox1->SetCaption(text("Grp_StatusFolder_Grp1_Name", kGroup1Caption));
  GroupBox2->SetCaption(text("Grp_StatusFolder_Grp2_Name", kGroup2Caption));
  GroupBox3->SetCaption(text("Grp_StatusFolder_Grp3_Name", kGroup3Caption));
}

void TStatusFolderFrm::Open(std::string_view businessNo) {
  BusinessNo = businessNo;
  TFolderList list =
      frame::GetAuthoriseFolder(ShellWnd, LangId, FunctionId, CorpNo, UserNo, BusinessNo);
  frame::FillFolderListView(*AuthoriseFolderLsv, list);
  list = frame::GetSignFolder(ShellWnd, LangId, FunctionId, CorpNo, UserNo, BusinessNo);
  frame::FillFolderListView(*SignFolderLsv, list);
  list = frame::GetAuditFolder(ShellWnd, LangId, FunctionId, CorpNo, UserNo, BusinessNo);
  frame::FillFolderListView(*AuditFolderLsv, list);
}

}  // namespace customer

// Key: the record's business number. Nothing is handed back: the result stays clear.
TAVRO_DIALOG_ENTRY(Mn_StatusFolderList, frame::DialogEntrySpec{.KeyLen = frame::kBusinessNoLen},
                   frame::ShowByKey<customer::TStatusFolderFrm>)
