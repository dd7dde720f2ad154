// Fuzz target: the host's answers (the input, terminated or not, in Simplified or Traditional
// mode) as the module's readers take them. Checked: fields keep their bounds, a row per item.
#include <stdlib.h>

#include <vector>

#include "frame/GbkText.h"
#include "frame/HostChannel.h"
#include "frame/ListFillers.h"
#include "frame/ListViewFill.h"
#include "frame/RecordCmd.h"
#include "frame/ResultText.h"
#include "sys/Files.h"
#include "tests/fuzz/FuzzSupport.h"
#include "ui/ListCtrls.h"

namespace {

constexpr HWND_T kWindow = 0;

void CheckSingleAnswers() {
  const std::string corpName = frame::GetCorpName(kWindow, "0012");
  FUZZ_CHECK(corpName.size() < 256 && corpName.find_first_of("\r\n") == std::string::npos);
  (void)frame::HostCommandInt(kWindow, frame::kChannelMain, "MN_GetCount", -1);

  const frame::TBankAddress swift = frame::GetSwiftAddress(kWindow, "PQRSTUVWXYZ");
  FUZZ_CHECK(swift.Name.size() <= frame::kBankNameLen);
  for (const std::string& line : swift.Addr) {
    FUZZ_CHECK(line.size() <= frame::kBankAddrLen);
  }
  const frame::TBankSimple bank = frame::GetBankSimple(kWindow, 7);
  FUZZ_CHECK(bank.Name.size() <= frame::kBankNameLen);
  FUZZ_CHECK(bank.SwiftCode.size() <= frame::kSwiftCodeLen);
  for (const std::string& line : bank.Addr) {
    FUZZ_CHECK(line.size() <= frame::kBankAddrLen);
  }
}

void CheckRecords() {
  const frame::TUserRec user = frame::GetUserRec(kWindow, "000001");
  FUZZ_CHECK(user.UserId.size() <= frame::kUserIdLen && user.CorpId.size() <= frame::kCorpIdLen);
  FUZZ_CHECK(user.UserName.size() <= frame::kUserNameLen);
  FUZZ_CHECK(user.CorpName.size() <= frame::kCorpNameLen);

  const frame::TAccountRec account = frame::GetAccountRec(kWindow, "0012", "1");
  FUZZ_CHECK(account.AccountNo.size() <= frame::kAccountNoLen);
  FUZZ_CHECK(account.Currency.size() <= frame::kCurrencyLen);
  FUZZ_CHECK(account.AccountName.size() <= frame::kAccountNameLen);

  const frame::TCustomerRec customer = frame::GetCustomerRec(kWindow, "0012", "C1");
  FUZZ_CHECK(customer.CustId.size() <= frame::kCustIdLen);
  FUZZ_CHECK(customer.NameAddress.size() <= frame::kNameAddressLen);
  FUZZ_CHECK(customer.EMail.size() <= frame::kEMailLen);

  const frame::TCustAcRec custAc = frame::GetCustAcRec(kWindow, 9);
  FUZZ_CHECK(custAc.AcNo.size() <= frame::kCustAcNoLen);
  FUZZ_CHECK(custAc.BankNameAddress.size() <= frame::kBankNameAddressLen);
  FUZZ_CHECK(custAc.BankType.size() <= frame::kBankTypeLen);

  const frame::TCustCNYAcRec payee = frame::GetCustCNYAcRec(kWindow, "0012", "P1");
  FUZZ_CHECK(payee.AcName.size() <= frame::kCustNameLen);
  FUZZ_CHECK(payee.EMail.size() <= frame::kEMailLen && payee.Sms.size() <= frame::kSmsLen);

  const TShellResult update = frame::UpdateAccountRec(kWindow, 102, account);
  FUZZ_CHECK(frame::FieldText(update.Text).size() < sizeof update.Text);
}

void CheckLists(std::string_view answer) {
  const std::size_t rows = frame::SplitRows(answer).size();
  std::vector<std::string> items{"kept"};
  FUZZ_CHECK(frame::FillCustomerList(kWindow, "0012", "000001", items));
  FUZZ_CHECK(items.size() == rows);
  for (const std::string& item : items) {
    FUZZ_CHECK(item.find_first_of("\r\n") == std::string::npos);
  }

  // A folder list: the answer as its layout and as its rows file.
  ui::TListView view(nullptr, "List");
  frame::SetupListViewColumns(view, answer);
  for (const ui::TListColumn& column : view.Columns()) {
    FUZZ_CHECK(column.Width >= 0 && column.Width <= frame::kMaxColumnWidth * 10);
  }
  const std::string file = tavro_fuzz::ScratchFolder() + "/rows";
  sys::WriteFileBytes(file, answer);
  frame::LoadListViewRows(view, file);
  FUZZ_CHECK(view.Items().size() == rows);
  FUZZ_CHECK(!sys::PathExists(file));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  // Result files go to the scratch folder, private as the channel demands.
  setenv("TMPDIR", tavro_fuzz::ScratchFolder().c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tavro_fuzz::FuzzInput input(data, size);
  const std::uint8_t flags = input.Byte();
  const std::string_view answer = input.Rest();
  setenv("LC_ALL", (flags & 2) != 0 ? "zh_TW.UTF-8" : "C", 1);
  frame::detail::ForgetTraditionalMode();
  fuzzhost::SetAnswer(answer, (flags & 1) == 0);
  CheckSingleAnswers();
  CheckRecords();
  CheckLists(answer);
  return 0;
}
