// A ui::Platform for tests that records what the module shows and answers from queues,
// so that frame tests run without the headless platform.
//
// API (namespace tavro_test):
//   auto* p = RecordingPlatform::Install();   installs a fresh one with ui::InstallPlatform
//                                             and returns it (owned by the ui slot)
//   p->Messages()                             every message box in order (Message below)
//   p->MessageTexts()                         just their texts
//   p->QueueAnswer(ui::mrYes)                 the answer of the next question (any box
//                                             with more than an OK button); a question
//                                             with an empty queue fails the test and
//                                             answers mrCancel / mrNo
//   p->QueueInput("text") / QueueInputCancel()            next input box
//   p->QueueFile("path")  / QueueFileCancel()             next file dialog
//   p->QueuePrint(true|false)                             next print dialog
//   p->OnShowModal([](ui::TForm&) { return ui::mrOk; })   runs each modal form; without
//                                             one a modal form closes with mrCancel
//   p->ModalCount(), p->HourglassChanges(), p->Inputs(), p->Files()
//   p->Canvas()                               the recording printer (Ops(): one text line
//                                             per drawing operation)
// OK-only boxes are acknowledged with mrOk and never take from the queue.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/Platform.h"

namespace tavro_test {

struct Message {
  std::string caption;
  std::string text;
  ui::MsgButtons buttons = ui::MsgButtons::Ok;
  ui::MsgIcon icon = ui::MsgIcon::None;
  int defaultButton = 1;
  HWND_T owner = 0;  // the owner window when it was shown
  int answer = 0;
};

class RecordingCanvas : public ui::PrinterCanvas {
 public:
  int PixelsPerInchX() const override { return 600; }
  int PixelsPerInchY() const override { return 600; }
  void BeginDoc(const std::string& title) override;
  void NewPage() override;
  void EndDoc() override;
  void SetFont(const std::string& name, int pointSize) override;
  void TextOut(int x, int y, const std::string& text) override;
  void Line(int x1, int y1, int x2, int y2) override;
  const std::vector<std::string>& Ops() const { return ops_; }

 private:
  std::vector<std::string> ops_;
};

class RecordingPlatform : public ui::Platform {
 public:
  static RecordingPlatform* Install();

  int ShowModal(ui::TForm& form) override;
  int MessageBox(const std::string& caption, const std::string& text, ui::MsgButtons buttons,
                 ui::MsgIcon icon, int defaultButton = 1) override;
  bool InputBox(const std::string& caption, const std::string& prompt, std::string& value) override;
  bool FileDialog(bool save, const std::string& filter, std::string& path) override;
  bool PrintDialog() override;
  ui::PrinterCanvas& Printer() override { return canvas_; }
  void SetHourglass(bool busy) override { hourglass_.push_back(busy); }

  void QueueAnswer(int answer) { answers_.push_back(answer); }
  void QueueInput(std::string text) { inputs_.emplace_back(std::move(text)); }
  void QueueInputCancel() { inputs_.emplace_back(std::nullopt); }
  void QueueFile(std::string path) { files_.emplace_back(std::move(path)); }
  void QueueFileCancel() { files_.emplace_back(std::nullopt); }
  void QueuePrint(bool print) { prints_.push_back(print); }
  void OnShowModal(std::function<int(ui::TForm&)> run) { modal_ = std::move(run); }

  const std::vector<Message>& Messages() const { return messages_; }
  std::vector<std::string> MessageTexts() const;
  int ModalCount() const { return modalCount_; }
  const std::vector<bool>& HourglassChanges() const { return hourglass_; }
  // Input boxes shown: caption, prompt and the default they offered.
  const std::vector<std::string>& Inputs() const { return inputLog_; }
  // File dialogs shown: "open " or "save " followed by the filter.
  const std::vector<std::string>& Files() const { return fileLog_; }
  RecordingCanvas& Canvas() { return canvas_; }

 private:
  std::vector<Message> messages_;
  std::deque<int> answers_;
  std::deque<std::optional<std::string>> inputs_;
  std::deque<std::optional<std::string>> files_;
  std::deque<bool> prints_;
  std::function<int(ui::TForm&)> modal_;
  int modalCount_ = 0;
  std::vector<bool> hourglass_;
  std::vector<std::string> inputLog_;
  std::vector<std::string> fileLog_;
  RecordingCanvas canvas_;
};

}  // namespace tavro_test
