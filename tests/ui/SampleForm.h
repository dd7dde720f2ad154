// A form with one control of each kind the dialogs use, whose handlers write what
// they see into a log, and a fixture that runs it on a fresh headless platform.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/Controls.h"
#include "ui/headless/HeadlessPlatform.h"

namespace ui_test {

class TSampleFrm : public ui::TForm {
 public:
  TSampleFrm();
  const char* ClassName() const override { return "TSampleFrm"; }

  ui::TEdit* NameEdt;
  ui::TMemo* NoteMmo;
  ui::TGroupBox* InfoGrp;
  ui::TEdit* CityEdt;
  ui::TComboBox* StatusCmb;
  ui::TComboBox* KindCmb;
  ui::TCheckBox* ActiveCkb;
  ui::TListBox* OrderLbx;
  ui::TCheckListBox* RightClb;
  ui::TTreeView* MainDirTrv;
  ui::TListView* FolderLsv;
  ui::TFileNameEdit* FilenameEdt;
  ui::TPopupMenu* ListPmn;
  ui::TMenuItem* NewMit;
  ui::TButton* UpdateBtn;
  ui::TButton* CancelBtn;

  // "NameEdt.change", "CityEdt.exit", "InfoGrp.enter", "NameEdt.keydown 65", ...
  std::vector<std::string> Log;
  // Answer of the close query.
  bool AllowClose = true;
};

// A fresh headless platform installed for each test, and the previous one put back.
class HeadlessTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // The transcript lines so far.
  const std::vector<std::string>& Transcript() const { return platform_->Transcript(); }

  ui::HeadlessPlatform* platform_ = nullptr;

 private:
  std::unique_ptr<ui::Platform> previous_;
};

// GBK from a UTF-8 literal.
std::string Gbk(const char* utf8);

}  // namespace ui_test
