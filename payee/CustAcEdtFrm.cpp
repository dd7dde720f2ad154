#include "payee/CustAcEdtFrm.h"

#include <utility>

#include "frame/CommaList.h"
#include "frame/FormBuilder.h"
#include "frame/HostChannel.h"
#include "frame/ListFillers.h"
#include "frame/Localisation.h"
#include "frame/RecordCmd.h"
#include "frame/ShellFunc.h"
#include "payee/CustAcRules.h"
#include "payee/SwfSearchFrm.h"
#include "sys/CodePage.h"
#include "sys/IniFile.h"
#include "ui/FormDesign.h"

namespace payee {

// The designed geometry (and the language keys of the captions), kept as data:
// CustAcEdtFrm.layout.
constexpr char kLayout[] =
#include "CustAcEdtFrm.layout"
    ;

TCustAcEdtFrm::TCustAcEdtFrm(const frame::EntryArgs& call, const sys::IniFile& lang)
    : TDialogFrm("CustAcEdtFrm", call) {
  CreateControls();
  FinishDesign(kLayout, lang);
}

// The designed dialog: texts as designed, limits of the account record's fields.
void TCustAcEdtFrm::CreateControls() {
  auto gbk = [](const char* utf8) { return frame::TFormBuilder::Text(utf8); };
  SetCaption(gbk("客户开户行帐号设置"));
  ui::TFont font = Font();
  font.Name = "MS Sans Serif";
  font.Bold = true;
  SetFont(font);
  OnCloseQuery = [this](ui::TComponent* s, bool& canClose) { FormCloseQuery(s, canClose); };

  const frame::TFormBuilder build(*this);
  CodeLbl = build.FieldLabel("CodeLbl", "客户代码");
  CustIdCmb = build.Add<ui::TComboBox>("CustIdCmb");
  CurrencyLbl = build.FieldLabel("CurrencyLbl", "币种");
  CurrencyCmb = build.Add<ui::TComboBox>("CurrencyCmb");
  CurrencyCmb->OnChange = [this](ui::TComponent* s) { CurrencyCmbChange(s); };
  AcNoLbl = build.FieldLabel("AcNoLbl", "帐号");
  AcNoEdt = build.Edit("AcNoEdt", static_cast<int>(frame::kCustAcNoLen));

  GroupBox1 = build.Add<ui::TGroupBox>("GroupBox1", "人民币汇款用");
  const frame::TFormBuilder cny = build.In(*GroupBox1);
  AcBankCNameLbl = cny.FieldLabel("AcBankCNameLbl", "开户行名称");
  CBankEdt = cny.Edit("CBankEdt", 50);

  GroupBox2 = build.Add<ui::TGroupBox>("GroupBox2", "外汇汇款用");
  const frame::TFormBuilder foreign = build.In(*GroupBox2);
  SelectIdCmb = foreign.PickList("SelectIdCmb");
  SelectIdCmb->SetItems(ui::TStrings(std::begin(kBankTypes), std::end(kBankTypes)));
  SelectIdCmb->OnChange = [this](ui::TComponent* s) { SelectIdCmbChange(s); };
  SlashLbl = foreign.FieldLabel("SlashLbl", "/");
  BankAcNoEdt = foreign.Add<TRuleEdit>("BankAcNoEdt");
  BankAcNoEdt->SetMaxLength(35);
  AcBankENameLbl = foreign.FieldLabel("AcBankENameLbl", "开户行名称");
  BankNameMmo = foreign.Add<TFixedMemo>("BankNameMmo");
  BankNameMmo->SetMaxLength(140);
  BankNameMmo->SetWordWrap(false);
  BankNameMmo->SetMaxline(4);
  BankNameMmo->SetCharPerLine(0);
  BankNameMmo->OnKeyDown = [this](ui::TComponent* s, std::uint16_t& key, ui::TShiftState shift) {
    BankNameMmoKeyDown(s, key, shift);
  };
  BankNameMmo->OnKeyPress = [this](ui::TComponent* s, char& key) { BankNameMmoKeyPress(s, key); };
  BankNameMmo->OnKeyUp = [this](ui::TComponent* s, std::uint16_t& key, ui::TShiftState shift) {
    BankNameMmoKeyUp(s, key, shift);
  };
  BankNameMmo->OnExit = [this](ui::TComponent* s) { BankNameMmoExit(s); };
  F2HintLbl = foreign.Label("F2HintLbl", "Press F2 for swift search");  // a hint, no caption
  IntBankLbl = foreign.FieldLabel("IntBankLbl", "中转行");
  IntBankPnl = foreign.Add<TAddrPnl>("IntBankPnl");

  StatusLbl = build.FieldLabel("StatusLbl", "状态");
  StatusCmb = build.Add<ui::TComboBox>("StatusCmb");
  StatusCmb->SetItems({gbk("已删除"), gbk("使用")});
  OperatorLbl = build.FieldLabel("OperatorLbl", "操作员");
  OperatorShowLbl = build.Label("OperatorShowLbl", "");  // a value, not a caption

  UpdateBtn = build.Button("UpdateBtn", "保存", [this] { UpdateBtnClick(UpdateBtn); });
  CancelBtn = build.CloseButton("CancelBtn", "放弃");
}

// The dialog's fixed keys; a missing key leaves its control without text. Group box
// captions and the F2 hint keep their designed texts.
void TCustAcEdtFrm::ApplyLanguage(const sys::IniFile& file) {
  auto text = [&](std::string_view key) { return frame::GetLangTextOpen(file, LangId, key, ""); };
  frame::ApplyLayoutTexts(*this, kLayout, file, LangId);
  AcBankENameLbl->SetCaption(AcBankCNameLbl->Caption());
  StatusCmb->SetItems(frame::SplitCommaList(text("Mnu_CustAcEdt_Status_List")));
}

void TCustAcEdtFrm::Open(std::string_view key, std::string_view extra) {
  AcId = CustAcIdOfKey(key);
  // A failed read (reported by the channel) leaves that list empty.
  ui::TStrings customers;
  ui::TStrings currencies;
  if (frame::FillCustomerList(ShellWnd, CorpNo, UserNo, customers)) {
    CustIdCmb->SetItems(std::move(customers));
  }
  if (frame::FillCurrencyList(ShellWnd, currencies)) {
    CurrencyCmb->SetItems(std::move(currencies));
  }
  if (AcId > 0) {
    LoadAccount();
    CustIdCmb->SetEnabled(false);
  } else {
    // A customer named by the caller is fixed, found or not.
    if (!extra.empty()) {
      CustIdCmb->SetItemIndex(ui::IndexOfItem(CustIdCmb->Items(), extra));
      CustIdCmb->SetEnabled(false);
    }
    OperatorShowLbl->SetCaption(UserNo);
    StatusCmb->SetItemIndex(1);
  }
  UpdateBtn->SetEnabled(
      CustAcSaveAllowed(frame::LookupNodeRights(ShellWnd, CorpNo, UserNo, FunctionId), AcId));
}

// Selecting the loaded type does not apply the type rule: the memo keeps the limits it
// opened with until the operator chooses a type.
void TCustAcEdtFrm::LoadAccount() {
  const frame::TCustAcRec rec = frame::GetCustAcRec(ShellWnd, AcId);
  CustIdCmb->SetItemIndex(ui::IndexOfItem(CustIdCmb->Items(), rec.CustId));
  CurrencyCmb->SetItemIndex(ui::IndexOfItem(CurrencyCmb->Items(), rec.Currency));
  AcNoEdt->SetText(rec.AcNo);
  CBankEdt->SetText(rec.CnyBankName);
  IntBankPnl->SetId(rec.IntBankId);
  SelectIdCmb->SetItemIndex(ui::IndexOfItem(SelectIdCmb->Items(), LoadedBankType(rec)));
  BankAcNoEdt->SetText(rec.BankAccount);
  BankNameMmo->SetText(rec.BankNameAddress);  // the reader has decoded its line breaks
  ExpandSwift();
  OperatorShowLbl->SetCaption(rec.Operator);
  StatusCmb->SetItemIndex(rec.Status);
  ApplyCurrencyRule();
}

// CNY names its bank in CBankEdt and drops the foreign-currency bank; any other text
// the reverse. The intermediary bank stays either way.
void TCustAcEdtFrm::ApplyCurrencyRule() {
  if (IsCnyCurrency(CurrencyCmb->Text())) {
    GroupBox1->SetEnabled(true);
    CBankEdt->SetEnabled(true);
    GroupBox2->SetEnabled(false);
    BankAcNoEdt->SetText("");
    SelectIdCmb->SetItemIndex(-1);
    BankNameMmo->Clear();
  } else {
    GroupBox1->SetEnabled(false);
    CBankEdt->SetText("");
    GroupBox2->SetEnabled(true);
  }
}

// The line limit goes first, while the old width still holds for the lines it keeps.
void TCustAcEdtFrm::ApplyTypeRule() {
  BankNameMmo->SetEnabled(true);
  BankAcNoEdt->SetEnabled(true);
  const TBankMemoLimits limits = BankMemoLimits(SelectIdCmb->Text());
  BankNameMmo->SetMaxline(limits.Maxline);
  BankNameMmo->SetCharPerLine(limits.CharPerLine);
}

// For type "A": the code on the memo's first line becomes the six lines the
// directory holds for it. False when the directory does not know the code.
bool TCustAcEdtFrm::ExpandSwift() {
  if (SelectIdCmb->Text() != kSwiftBankType) {
    return true;
  }
  const std::string code = SwiftCodeOfLines(BankNameMmo->Lines());
  if (code.empty()) {
    return true;
  }
  const frame::TBankAddress bank = frame::GetSwiftAddress(Handle(), code);
  if (bank.Name.empty()) {
    ui::ShowMessage("Invalid Swift Bank Code");
    return false;
  }
  BankNameMmo->SetLines(SwiftBankLines(code, bank));
  return true;
}

// With type "A" the lines after the code come from the directory, not the keyboard.
bool TCustAcEdtFrm::OnlyCodeLineTypable() const {
  return SelectIdCmb->Text() == kSwiftBankType && BankNameMmo->CaretLine() != 0;
}

void TCustAcEdtFrm::CurrencyCmbChange(ui::TComponent*) {
  ApplyCurrencyRule();
}

void TCustAcEdtFrm::SelectIdCmbChange(ui::TComponent*) {
  ApplyTypeRule();
}

// Backspace and a character from the input method edit without a key press, so they
// are stopped here.
void TCustAcEdtFrm::BankNameMmoKeyDown(ui::TComponent*, std::uint16_t& key, ui::TShiftState) {
  if ((key == ui::vk::Back || key == ui::vk::ProcessKey) && OnlyCodeLineTypable()) {
    key = 0;
  }
}

void TCustAcEdtFrm::BankNameMmoKeyPress(ui::TComponent*, char& key) {
  if (OnlyCodeLineTypable()) {
    key = 0;
  }
}

// F2 searches the directory; the chosen code replaces the memo and is expanded.
void TCustAcEdtFrm::BankNameMmoKeyUp(ui::TComponent*, std::uint16_t& key, ui::TShiftState) {
  if (key != ui::vk::F2) {
    return;
  }
  if (SelectIdCmb->Text() != kSwiftBankType) {
    ui::ShowMessage("To use swift code,Must select A");
    return;
  }
  const std::string code = ShowSwiftSearch(ShellWnd, "");
  if (code.empty()) {
    return;
  }
  BankNameMmo->SetLines({code});
  ExpandSwift();
}

// A code the directory does not know keeps the operator in the memo.
void TCustAcEdtFrm::BankNameMmoExit(ui::TComponent*) {
  if (SelectIdCmb->Text() != kSwiftBankType || SwiftCodeOfLines(BankNameMmo->Lines()).empty()) {
    return;
  }
  if (!ExpandSwift() && BankNameMmo->CanFocus()) {
    BankNameMmo->SetFocus();
  }
}

// A refused save closes with the cancel result, which asks whether to leave.
void TCustAcEdtFrm::UpdateBtnClick(ui::TComponent*) {
  const TCustAcEntry entry{CustIdCmb->Text(), CurrencyCmb->Text(), AcNoEdt->Text(),
                           CBankEdt->Text(),  SelectIdCmb->Text(), BankNameMmo->Text()};
  const TCustAcMissing missing = FirstMissing(entry);
  if (missing != TCustAcMissing::None) {
    ui::ShowMessage(frame::ShownText(MissingMessage(missing)));
    // The field to fill in next; a missing customer id moves the focus nowhere.
    const std::pair<TCustAcMissing, ui::TWinControl*> fields[] = {
        {TCustAcMissing::Currency, CurrencyCmb}, {TCustAcMissing::AcNo, AcNoEdt},
        {TCustAcMissing::CnyBank, CBankEdt},     {TCustAcMissing::BankType, SelectIdCmb},
        {TCustAcMissing::BankName, BankNameMmo},
    };
    for (const auto& [which, focus] : fields) {
      if (which == missing && focus->CanFocus()) {
        focus->SetFocus();
      }
    }
    return;
  }
  frame::TCustAcRec rec;
  rec.AcId = AcId;
  rec.CustId = CustIdCmb->Text();
  rec.CorpId = CorpNo;
  rec.Currency = CurrencyCmb->Text();
  rec.AcNo = AcNoEdt->Text();
  rec.CnyBankName = CBankEdt->Text();
  rec.IntBankId = IntBankPnl->Id();
  rec.BankType = SelectIdCmb->Text();
  rec.BankAccount = BankAcNoEdt->Text();
  rec.BankNameAddress = StoredBankNameAddress(BankNameMmo->Text());
  rec.Operator = UserNo;
  rec.Status = StatusCmb->ItemIndex();
  Result = frame::UpdateCustAcRec(ShellWnd, FunctionId, rec);
  SetModalResult(Result.Code > 0 ? ui::mrOk : ui::mrCancel);
}

// Leaving with the cancel result asks first; No keeps the dialog and its input.
void TCustAcEdtFrm::FormCloseQuery(ui::TComponent*, bool& canClose) {
  if (ModalResult() != ui::mrCancel) {
    return;
  }
  const std::string question = frame::GetLangText(LangId, "Msg_Common_ExitWithoutSave", "");
  canClose = ui::AskYesNo("", question);
}

namespace {

// Key: the account id (below 1 or no number: a new account); Extra: the customer of a
// new account. The key is converted as read, all 51 bytes: a cut would change the
// number it names.
frame::DialogOutcome OpenCustAcEdit(frame::DialogEntryCall& call) {
  TCustAcEdtFrm form(call.Args());
  form.Open(call.Args().Key, call.Args().Extra);
  return form.RunModal();
}

}  // namespace

}  // namespace payee

TAVRO_DIALOG_ENTRY(Mn_CustAcEdit, frame::DialogEntrySpec{.KeyLen = frame::kKeyParamBytes},
                   payee::OpenCustAcEdit)
