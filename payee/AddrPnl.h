// TAddrPnl: a panel bound to a bank of the bank master data (Id) that shows the bank's
// name, four address lines and SWIFT address. The operator can only clear the
// reference: Find, Enter in the name edit, or leaving the name edit empty.
#pragma once

#include <cstdint>
#include <string>

#include "sys/Abi.h"
#include "ui/Controls.h"

namespace payee {

// Bank texts and their capacities in bytes.
using TName = std::string;        // a bank's name, at most 50
using TAddr = std::string;        // one address line, at most 35
using TSwfAddress = std::string;  // a SWIFT address, at most 12
inline constexpr int kNameLen = 50;
inline constexpr int kAddrLen = 35;
inline constexpr int kSwfAddressLen = 12;

class TAddrPnl : public ui::TPanel {
 public:
  TAddrPnl(ui::TComponent* owner, std::string name);
  const char* ClassName() const override { return "TAddrPnl"; }

  // The bank shown; 0 for none. Setting a bank other than 0 looks it up and shows it.
  std::int32_t Id() const { return id_; }
  void SetId(std::int32_t id);

  const TName& BankName() const { return bankName_; }
  const TAddr& BankAddress1() const { return bankAddress_[0]; }
  const TAddr& BankAddress2() const { return bankAddress_[1]; }
  const TAddr& BankAddress3() const { return bankAddress_[2]; }
  const TAddr& BankAddress4() const { return bankAddress_[3]; }
  const TSwfAddress& BankSwfCode() const { return bankSwfCode_; }
  // Each stores a different value cut to its capacity and shows it in its label.
  void SetBankName(const TName& value);
  void SetBankAddress1(const TAddr& value) { SetBankAddress(0, value); }
  void SetBankAddress2(const TAddr& value) { SetBankAddress(1, value); }
  void SetBankAddress3(const TAddr& value) { SetBankAddress(2, value); }
  void SetBankAddress4(const TAddr& value) { SetBankAddress(3, value); }
  void SetBankSwfCode(const TSwfAddress& value);

  // The panel's own window, handed to the command channel.
  HWND_T Handle() const { return reinterpret_cast<HWND_T>(this); }

  // Owned parts: the name edit and the Find button on the top row, then the labels of
  // the name, the four address lines and the SWIFT address, top to bottom. The panel
  // uses the name edit's OnKeyPress and OnExit and the button's OnClick itself.
  ui::TEdit* NameEdt = nullptr;
  ui::TButton* FindBtn = nullptr;
  ui::TLabel* NameLbl = nullptr;
  ui::TLabel* AddrLbl[4] = {};
  ui::TLabel* SwfCodeLbl = nullptr;

 protected:
  void Resize() override;

 private:
  void SetBankAddress(int index, const TAddr& value);
  void FindBtnClick(ui::TComponent* sender);
  void NameEdtKeyPress(ui::TComponent* sender, char& key);
  void NameEdtExit(ui::TComponent* sender);

  std::int32_t id_ = 0;
  TName bankName_ = "Name";
  TAddr bankAddress_[4] = {"Address1", "Address2", "Address3", "Address4"};
  TSwfAddress bankSwfCode_;
};

}  // namespace payee
