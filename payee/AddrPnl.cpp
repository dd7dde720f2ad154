#include "payee/AddrPnl.h"

#include "frame/GbkText.h"
#include "frame/ListFillers.h"

namespace payee {

namespace {

// A bank text cut to its capacity without splitting a double-byte character.
std::string CutTo(const std::string& value, int capacity) {
  return std::string(frame::GbkCut(value, static_cast<std::size_t>(capacity)));
}

// A label of its own width: it never sizes itself to the bank's text.
ui::TLabel* NewBankLabel(TAddrPnl* panel, std::string name, int top) {
  auto* label = ui::Create<ui::TLabel>(panel, panel, std::move(name));
  label->SetAutoSize(false);
  label->SetBounds(3, top, label->Width(), label->Height());
  return label;
}

}  // namespace

// The panel takes its size before its parts exist, so the resize rule leaves the
// parts' creation layout alone.
TAddrPnl::TAddrPnl(ui::TComponent* owner, std::string name) : ui::TPanel(owner, std::move(name)) {
  SetBounds(Left(), Top(), 180, 100);
  SetCaption({});

  NameEdt = ui::Create<ui::TEdit>(this, this, "NameEdit");
  NameEdt->SetBounds(3, 0, 350, 25);
  NameEdt->OnKeyPress = [this](ui::TComponent* sender, char& key) { NameEdtKeyPress(sender, key); };
  NameEdt->OnExit = [this](ui::TComponent* sender) { NameEdtExit(sender); };

  FindBtn = ui::Create<ui::TButton>(this, this, "FindButton");
  FindBtn->SetCaption("Find");
  FindBtn->SetBounds(355, 0, 40, 25);
  FindBtn->OnClick = [this](ui::TComponent* sender) { FindBtnClick(sender); };

  NameLbl = NewBankLabel(this, "NameLabel", 30);
  NameLbl->SetWidth(175);
  for (int i = 0; i < 4; ++i) {
    AddrLbl[i] = NewBankLabel(this, "Address" + std::to_string(i + 1) + "Label", 45 + 15 * i);
  }
  SwfCodeLbl = NewBankLabel(this, "SwfCodeLabel", 105);
}

void TAddrPnl::SetBankName(const TName& value) {
  if (value != bankName_) {
    bankName_ = CutTo(value, kNameLen);
    NameLbl->SetCaption(bankName_);
  }
}

void TAddrPnl::SetBankAddress(int index, const TAddr& value) {
  if (value != bankAddress_[index]) {
    bankAddress_[index] = CutTo(value, kAddrLen);
    AddrLbl[index]->SetCaption(bankAddress_[index]);
  }
}

void TAddrPnl::SetBankSwfCode(const TSwfAddress& value) {
  if (value != bankSwfCode_) {
    bankSwfCode_ = CutTo(value, kSwfAddressLen);
    SwfCodeLbl->SetCaption(bankSwfCode_);
  }
}

// Id 0 clears the reference only: what is shown stays as it was. A failed lookup
// yields an empty record, so the texts go blank while Id keeps the value set.
void TAddrPnl::SetId(std::int32_t id) {
  id_ = id;
  if (id == 0) {
    return;
  }
  frame::TBankSimple bank = frame::GetBankSimple(Handle(), id);
  NameEdt->SetText(bank.Name);
  SetBankName(bank.Name);
  SetBankAddress1(bank.Addr[0]);
  SetBankAddress2(bank.Addr[1]);
  SetBankAddress3(bank.Addr[2]);
  SetBankAddress4(bank.Addr[3]);
  SetBankSwfCode(bank.SwiftCode);
}

void TAddrPnl::FindBtnClick(ui::TComponent*) {
  SetId(0);
}

void TAddrPnl::NameEdtKeyPress(ui::TComponent*, char& key) {
  if (key == '\r') {
    SetId(0);
  }
}

void TAddrPnl::NameEdtExit(ui::TComponent*) {
  if (NameEdt->Text().empty()) {
    SetId(0);
  }
}

// The name edit and the labels follow the panel's width; Find stays right of the edit.
void TAddrPnl::Resize() {
  if (NameEdt) {
    int width = Width();
    NameEdt->SetWidth(width - 50);
    FindBtn->SetLeft(NameEdt->Left() + NameEdt->Width() + 2);
    for (ui::TLabel* label :
         {NameLbl, AddrLbl[0], AddrLbl[1], AddrLbl[2], AddrLbl[3], SwfCodeLbl}) {
      label->SetWidth(width - 5);
    }
  }
  ui::TPanel::Resize();
}

}  // namespace payee
