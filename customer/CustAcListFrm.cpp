// The customer account list and its entry point Mn_CustAcNoList.
#include "customer/CustAcListFrm.h"

#include "frame/FolderList.h"
#include "frame/ListViewFill.h"
#include "frame/Localisation.h"
#include "frame/ManageEdit.h"
#include "frame/ResultText.h"
#include "frame/ShellFunc.h"
#include "sys/CodePage.h"
#include "ui/FormDesign.h"

namespace customer {

std::int32_t RowFunctionId(std::string_view caption) {
  const std::size_t colon = caption.find(':');
  if (colon == std::string_view::npos) {
    return 0;
  }
  return frame::ParseDecimal(caption.substr(0, colon)).value_or(0);
}

// The designed geometry, kept as data: CustAcListFrm.layout.
constexpr char kLayout[] =
#include "CustAcListFrm.layout"
    ;

TCustAcListFrm::TCustAcListFrm(const frame::EntryArgs& call, const sys::IniFile& lang)
    : TDialogFrm("CustAcListFrm", call) {
  SetCaption(sys::Utf8ToGbk("客户帐号"));

  AcNoListPmn = ui::Create<ui::TPopupMenu>(this, nullptr, "AcNoListPmn");
  NewMit = ui::Create<ui::TMenuItem>(this, nullptr, "NewMit", AcNoListPmn);
  NewMit->SetCaption("New");
  EditMit = ui::Create<ui::TMenuItem>(this, nullptr, "EditMit", AcNoListPmn);
  EditMit->SetCaption("Edit");

  // The list brings no columns of its own: the folder's layout makes them.
  FolderLsv = ui::Create<ui::TListView>(this, this, "FolderLsv");
  FolderLsv->SetViewStyle(ui::vsReport);
  FolderLsv->SetReadOnly(true);
  FolderLsv->SetRowSelect(true);
  FolderLsv->SetPopupMenu(AcNoListPmn);

  FolderLsv->OnDblClick = [this](ui::TComponent*) { FolderLsvDblClick(); };
  NewMit->OnClick = [this](ui::TComponent*) { NewMitClick(); };
  EditMit->OnClick = [this](ui::TComponent*) { EditMitClick(); };

  FinishDesign(kLayout, lang);
}

void TCustAcListFrm::ApplyLanguage(const sys::IniFile& file) {
  auto text = [&](const char* key) { return frame::GetLangTextOpen(file, LangId, key, ""); };
  SetCaption(text("Frm_CustAcList_Name"));
  NewMit->SetCaption(text("Mnu_CustAcList_NewMit_Name"));
  EditMit->SetCaption(text("Mnu_CustAcList_EditMit_Name"));
}

void TCustAcListFrm::LoadList() {
  const TFolderList list = frame::GetCustAcFolder(ShellWnd, LangId, CorpNo, UserNo, CustId);
  frame::FillFolderListView(*FolderLsv, list);
}

// Both go: the folder appends its columns, so columns kept from the last load would be
// doubled.
void TCustAcListFrm::ReloadList() {
  FolderLsv->ClearColumns();
  FolderLsv->Clear();
  LoadList();
}

void TCustAcListFrm::FolderLsvDblClick() {
  if (FolderLsv->Selected() == nullptr) {
    return;
  }
  OpenAccount(SelectedColumn(1), "");
}

void TCustAcListFrm::EditMitClick() {
  if (FolderLsv->Selected() == nullptr) {
    return;
  }
  OpenAccount(SelectedColumn(1), "");
}

// A row names the kind of account to add and the customer it is added for; without a
// row it is an account of this list's customer.
void TCustAcListFrm::NewMitClick() {
  if (FolderLsv->Selected() == nullptr) {
    OpenAccount("", CustId);
    return;
  }
  OpenAccount("", SelectedColumn(2));
}

// A missing module or entry point raises here and is shown by the event loop; the list
// stays open as it was.
void TCustAcListFrm::OpenAccount(std::string_view key, std::string_view extra) {
  const ui::TListItem* row = FolderLsv->Selected();
  const std::int32_t functionId = row != nullptr ? RowFunctionId(row->Caption) : kNewCustAcFunction;
  TShellResult result{};
  frame::CallShellFunction(ShellWnd, functionId, CorpNo, UserNo, key, extra, &result);
  if (result.Code > 0) {
    ReloadList();
  }
}

std::string TCustAcListFrm::SelectedColumn(std::size_t column) {
  const ui::TListItem* row = FolderLsv->Selected();
  if (row == nullptr || column == 0 || column > row->SubItems.size()) {
    return "";
  }
  return row->SubItems[column - 1];
}

void TCustAcListFrm::Open(std::string_view custId) {
  CustId = custId;
  LoadList();
}

}  // namespace customer

// The list's own result is never handed on: the shell refreshes nothing after it.
TAVRO_DIALOG_ENTRY(Mn_CustAcNoList, frame::DialogEntrySpec{.KeyLen = frame::kFolderCustIdLen},
                   frame::ShowByKey<customer::TCustAcListFrm>)
