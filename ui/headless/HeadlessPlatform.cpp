// The headless platform: the script's run, and pango's measure of texts.
#include "ui/headless/HeadlessPlatform.h"

#include "ui/headless/TextMeasure.h"

namespace ui {

HeadlessPlatform::HeadlessPlatform() : HeadlessPlatform(std::make_unique<ScriptRunner>()) {}

HeadlessPlatform::HeadlessPlatform(std::unique_ptr<ScriptRunner> runner)
    : runner_(std::move(runner)) {}

HeadlessPlatform::~HeadlessPlatform() = default;

std::unique_ptr<HeadlessPlatform> HeadlessPlatform::FromEnvironment() {
  return std::make_unique<HeadlessPlatform>(ScriptRunner::FromEnvironment());
}

int HeadlessPlatform::ShowModal(TForm& form) {
  return runner_->ShowModal(form);
}

int HeadlessPlatform::MessageBox(const std::string& caption, const std::string& text,
                                 MsgButtons buttons, MsgIcon icon, int) {
  return runner_->MessageBox(caption, text, buttons, icon);
}

bool HeadlessPlatform::InputBox(const std::string& caption, const std::string& prompt,
                                std::string& value) {
  return runner_->InputBox(caption, prompt, value);
}

bool HeadlessPlatform::FileDialog(bool save, const std::string& filter, std::string& path) {
  return runner_->FileDialog(save, filter, path);
}

bool HeadlessPlatform::PrintDialog() {
  return runner_->PrintDialog();
}

PrinterCanvas& HeadlessPlatform::Printer() {
  return runner_->Printer();
}

TextSize HeadlessPlatform::TextExtent(const TFont& font, const std::string& text) {
  if (!measure_) {
    measure_ = std::make_unique<TextMeasure>();
  }
  return measure_->Extent(font, text);
}

void HeadlessPlatform::SetHourglass(bool busy) {
  hourglass_ = busy;
}

void HeadlessPlatform::WorkSummary(const std::string& text) {
  runner_->WorkSummary(text);
}

void HeadlessPlatform::EntryCallEnded() {
  runner_->EntryCallEnded();
}

}  // namespace ui
