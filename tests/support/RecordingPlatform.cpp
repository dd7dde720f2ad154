#include "tests/support/RecordingPlatform.h"

#include <gtest/gtest.h>

#include <memory>

namespace tavro_test {

void RecordingCanvas::BeginDoc(const std::string& title) {
  ops_.push_back("begin " + title);
}
void RecordingCanvas::NewPage() {
  ops_.emplace_back("page");
}
void RecordingCanvas::EndDoc() {
  ops_.emplace_back("end");
}
void RecordingCanvas::SetFont(const std::string& name, int pointSize) {
  ops_.push_back("font " + name + " " + std::to_string(pointSize));
}
void RecordingCanvas::TextOut(int x, int y, const std::string& text) {
  ops_.push_back("text " + std::to_string(x) + " " + std::to_string(y) + " " + text);
}
void RecordingCanvas::Line(int x1, int y1, int x2, int y2) {
  ops_.push_back("line " + std::to_string(x1) + " " + std::to_string(y1) + " " +
                 std::to_string(x2) + " " + std::to_string(y2));
}

RecordingPlatform* RecordingPlatform::Install() {
  auto platform = std::make_unique<RecordingPlatform>();
  RecordingPlatform* raw = platform.get();
  ui::InstallPlatform(std::move(platform));
  return raw;
}

int RecordingPlatform::ShowModal(ui::TForm& form) {
  ++modalCount_;
  return modal_ ? modal_(form) : ui::mrCancel;
}

int RecordingPlatform::MessageBox(const std::string& caption, const std::string& text,
                                  ui::MsgButtons buttons, ui::MsgIcon icon, int defaultButton) {
  Message m{caption, text, buttons, icon, defaultButton, OwnerWindow(), ui::mrOk};
  if (buttons != ui::MsgButtons::Ok) {
    if (answers_.empty()) {
      ADD_FAILURE() << "unexpected question: " << text;
      m.answer = buttons == ui::MsgButtons::YesNo ? ui::mrNo : ui::mrCancel;
    } else {
      m.answer = answers_.front();
      answers_.pop_front();
    }
  }
  messages_.push_back(m);
  return m.answer;
}

bool RecordingPlatform::InputBox(const std::string& caption, const std::string& prompt,
                                 std::string& value) {
  inputLog_.push_back(caption + "|" + prompt + "|" + value);
  if (inputs_.empty()) {
    ADD_FAILURE() << "unexpected input box: " << prompt;
    return false;
  }
  auto next = inputs_.front();
  inputs_.pop_front();
  if (!next) {
    return false;
  }
  value = *next;
  return true;
}

bool RecordingPlatform::FileDialog(bool save, const std::string& filter, std::string& path) {
  fileLog_.push_back((save ? "save " : "open ") + filter);
  if (files_.empty()) {
    ADD_FAILURE() << "unexpected file dialog";
    return false;
  }
  auto next = files_.front();
  files_.pop_front();
  if (!next) {
    return false;
  }
  path = *next;
  return true;
}

bool RecordingPlatform::PrintDialog() {
  if (prints_.empty()) {
    ADD_FAILURE() << "unexpected print dialog";
    return false;
  }
  bool print = prints_.front();
  prints_.pop_front();
  return print;
}

std::vector<std::string> RecordingPlatform::MessageTexts() const {
  std::vector<std::string> texts;
  texts.reserve(messages_.size());
  for (const Message& m : messages_) {
    texts.push_back(m.text);
  }
  return texts;
}

}  // namespace tavro_test
