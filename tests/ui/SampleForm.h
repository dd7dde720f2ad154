// A form with one control of each kind the dialogs use, whose handlers log what they
// see, and a fixture that runs it on a fresh headless platform.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
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
  bool AllowClose = true;  // the close query's answer
};

// A fresh headless platform installed for a scope, and the previous one put back.
class ScopedHeadless {
 public:
  ScopedHeadless();
  ~ScopedHeadless();
  ScopedHeadless(const ScopedHeadless&) = delete;
  ScopedHeadless& operator=(const ScopedHeadless&) = delete;
  ui::HeadlessPlatform* operator->() const { return platform_; }
  ui::HeadlessPlatform* Get() const { return platform_; }

 private:
  ui::HeadlessPlatform* platform_;
  std::unique_ptr<ui::Platform> previous_;
};

class HeadlessTest : public ::testing::Test {
 protected:
  const std::vector<std::string>& Transcript() const { return platform_->Transcript(); }

  ScopedHeadless headless_;
  ui::HeadlessPlatform* platform_ = headless_.Get();
};

// The sample form shown on a fresh headless platform, its log empty.
class FormTest : public HeadlessTest {
 protected:
  void SetUp() override {
    form.BeginModal();
    form.Log.clear();
  }
  int Count(const std::string& entry) const {
    return static_cast<int>(std::count(form.Log.begin(), form.Log.end(), entry));
  }
  TSampleFrm form;
};

std::string Gbk(const char* utf8);
// Gives list the account order dialog's drag and drop.
void AllowReorder(ui::TListBox& list);  // from a UTF-8 literal

}  // namespace ui_test
