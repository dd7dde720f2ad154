// The customer dialog: one customer (payee) of the operator's corporation, with its CNY
// name, its name and address for foreign-currency remittances in SWIFT text, a remark
// and e-mail addresses; created, saved over, deleted or given a new id. It also opens
// the customer's account list and the customer import and export. The shell opens it
// through Mn_CustomerEdit.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frame/KeyedRecordFrm.h"
#include "frame/RecordCmd.h"
#include "payee/swift/fixmemo.h"
#include "sys/Abi.h"
#include "ui/Controls.h"

namespace customer {

// The name and address as a SWIFT message carries it: four lines of 35 bytes.
inline constexpr int kNameAddressLines = 4;
inline constexpr int kNameAddressLineBytes = 35;

class TCustomerEdtFrm : public frame::TKeyedRecordFrm {
 public:
  // Creates the controls, then localises them by lang and applies the font rule.
  explicit TCustomerEdtFrm(const frame::EntryArgs& call, const sys::IniFile& lang = LangFile());

  ui::TLabel* CustIdLbl;
  ui::TEdit* IdEdt;
  ui::TButton* ChangeCustBtn;
  ui::TLabel* CNameLbl;
  ui::TLabel* CName1Lbl;
  ui::TEdit* CNameEdt;
  ui::TLabel* ENameLbl;
  ui::TLabel* EName1Lbl;
  payee::TFixedMemo* ENameMmo;
  ui::TLabel* RefLbl;
  ui::TEdit* RefEdt;
  ui::TLabel* EMailLbl;
  ui::TMemo* EMailMmo;
  ui::TButton* ImportBtn;
  ui::TButton* ExportBtn;
  ui::TButton* AcNoBtn;

  // Fills the fields from the server's record of custId and opens the account list
  // button. A failed read shows an empty customer with status 0.
  void LoadRecord(std::string_view custId) override;
  // Reads the operator's rights on the function node once and enables save and delete.
  void ApplyRights() override;
  // The dialog's texts from an opened language file.
  void ApplyLanguage(const sys::IniFile& file) override;

  // The record a save sends, built from the fields.
  frame::TCustomerRec CustomerRecord() const;

  void UpdateBtnClick() override;
  void AcNoBtnClick();
  void ImportBtnClick();
  void ExportBtnClick();
  void FormCloseQuery(bool& canClose);

 private:
  std::string RecordId() const override { return IdEdt->Text(); }
  std::string rights_ = "00000000";
};

}  // namespace customer
