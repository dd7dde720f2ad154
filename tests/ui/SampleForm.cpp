#include "SampleForm.h"

#include "sys/CodePage.h"

namespace ui_test {

using namespace ui;

std::string Gbk(const char* utf8) {
  return sys::Utf8ToGbk(utf8);
}

TSampleFrm::TSampleFrm() : TForm(nullptr, "SampleFrm") {
  SetCaption(Gbk("样例"));
  NameEdt = Create<TEdit>(this, this, "NameEdt");
  NoteMmo = Create<TMemo>(this, this, "NoteMmo");
  InfoGrp = Create<TGroupBox>(this, this, "InfoGrp");
  CityEdt = Create<TEdit>(this, InfoGrp, "CityEdt");
  StatusCmb = Create<TComboBox>(this, InfoGrp, "StatusCmb");
  StatusCmb->SetStyle(csDropDownList);
  StatusCmb->SetItems({"0:deleted", "1:waiting", "2:in use"});
  KindCmb = Create<TComboBox>(this, this, "KindCmb");
  KindCmb->SetItems({"A", "B", "D"});
  ActiveCkb = Create<TCheckBox>(this, this, "ActiveCkb");
  OrderLbx = Create<TListBox>(this, this, "OrderLbx");
  OrderLbx->SetItems({"K1", "K2", "K3", "K4", "K5"});
  RightClb = Create<TCheckListBox>(this, this, "RightClb");
  RightClb->SetItems({"query", "add", "modify"});
  MainDirTrv = Create<TTreeView>(this, this, "MainDirTrv");
  FolderLsv = Create<TListView>(this, this, "FolderLsv");
  FilenameEdt = Create<TFileNameEdit>(this, this, "FilenameEdt");
  FilenameEdt->SetFilter("Text files (*.txt)|*.txt");
  ListPmn = Create<TPopupMenu>(this, nullptr, "ListPmn");
  NewMit = Create<TMenuItem>(this, nullptr, "NewMit", ListPmn);
  NewMit->SetCaption("New");
  FolderLsv->SetPopupMenu(ListPmn);
  UpdateBtn = Create<TButton>(this, this, "UpdateBtn");
  UpdateBtn->SetCaption(Gbk("保存"));
  UpdateBtn->SetDefault(true);
  CancelBtn = Create<TButton>(this, this, "CancelBtn");
  CancelBtn->SetCancel(true);
  CancelBtn->SetModalResult(mrCancel);

  auto notify = [this](const char* event) {
    return [this, event](TComponent* sender) { Log.push_back(sender->Name + "." + event); };
  };
  for (TWinControl* c :
       std::vector<TWinControl*>{NameEdt, NoteMmo, InfoGrp, CityEdt, StatusCmb, KindCmb, ActiveCkb,
                                 OrderLbx, RightClb, MainDirTrv, FolderLsv, UpdateBtn, CancelBtn}) {
    c->OnEnter = notify("enter");
    c->OnExit = notify("exit");
    c->OnClick = notify("click");
    c->OnKeyDown = [this](TComponent* s, std::uint16_t& key, TShiftState) {
      Log.push_back(s->Name + ".keydown " + std::to_string(key));
    };
    c->OnKeyPress = [this](TComponent* s, char& key) {
      Log.push_back(s->Name + ".keypress " + std::to_string(static_cast<unsigned char>(key)));
    };
    c->OnKeyUp = [this](TComponent* s, std::uint16_t& key, TShiftState) {
      Log.push_back(s->Name + ".keyup " + std::to_string(key));
    };
  }
  NameEdt->OnChange = NoteMmo->OnChange = CityEdt->OnChange = notify("change");
  StatusCmb->OnChange = KindCmb->OnChange = notify("change");
  RightClb->OnClickCheck = notify("clickcheck");
  NewMit->OnClick = notify("click");
  OnCloseQuery = [this](TComponent*, bool& canClose) {
    Log.push_back("closequery");
    canClose = AllowClose;
  };
}

// The account order dialog's rules: the left button on an item starts a drag, a drop on
// an item swaps it with the selected one.
void AllowReorder(TListBox& list) {
  list.OnMouseDown = [&list](TComponent*, TMouseButton b, TShiftState, int x, int y) {
    if (b == mbLeft && list.ItemAtPos(x, y) >= 0) {
      list.BeginDrag(false);
    }
  };
  list.OnDragOver = [](TComponent*, TComponent*, int, int, TDragState, bool& accept) {
    accept = true;
  };
  list.OnDragDrop = [&list](TComponent*, TComponent*, int x, int y) {
    const int to = list.ItemAtPos(x, y);
    const int from = list.ItemIndex();
    if (to >= 0 && from >= 0) {
      list.ExchangeItems(from, to);
      list.SetItemIndex(to);
    }
  };
}

ScopedHeadless::ScopedHeadless() {
  auto platform = std::make_unique<HeadlessPlatform>();
  platform_ = platform.get();
  previous_ = InstallPlatform(std::move(platform));
}

ScopedHeadless::~ScopedHeadless() {
  InstallPlatform(std::move(previous_));
}

}  // namespace ui_test
