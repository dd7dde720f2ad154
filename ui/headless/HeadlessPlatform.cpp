#include "ui/headless/HeadlessPlatform.h"

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "ui/headless/PdfPrintWriter.h"
#include "ui/headless/ScriptRunner.h"
#include "ui/headless/TextMeasure.h"

namespace ui {

HeadlessPlatform::HeadlessPlatform() : runner_(std::make_unique<ScriptRunner>()) {
  SetPrintWriter(nullptr);
}

HeadlessPlatform::~HeadlessPlatform() = default;

std::unique_ptr<HeadlessPlatform> HeadlessPlatform::FromEnvironment() {
  auto platform = std::make_unique<HeadlessPlatform>();
  // A run from the environment (tavro-shell, the module) puts what it prints on paper:
  // a PDF in TAVRO_UI_PRINT_DIR. A platform made directly (a test) records jobs only.
  platform->SetPrintWriter(PdfPrintWriter(PrintFolderFromEnvironment()));
  if (const char* transcript = std::getenv("TAVRO_UI_TRANSCRIPT"); transcript && *transcript) {
    platform->SetTranscriptFile(transcript);
  }
  if (const char* dpi = std::getenv("TAVRO_UI_PRINTER_DPI"); dpi && *dpi) {
    int value = 0;
    std::string_view text(dpi);
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    // An unreadable or absurd resolution keeps the default rather than a broken page.
    if (ec == std::errc() && end == text.data() + text.size() && value >= 72 && value <= 4800) {
      platform->SetPrinterResolution(value);
    }
  }
  if (const char* script = std::getenv("TAVRO_UI_SCRIPT"); script && *script) {
    platform->LoadScriptFile(script);
  }
  return platform;
}

void HeadlessPlatform::RunScript(std::string_view script) {
  runner_->SetScript(ParseScript(script));
  runner_->SetScriptFolder({});
}

bool HeadlessPlatform::LoadScriptFile(const std::string& path) {
  std::ostringstream text;
  bool read = false;
  if (path == "-") {
    text << std::cin.rdbuf();
    read = !std::cin.bad();
  } else {
    std::ifstream in(path, std::ios::binary);
    if (in) {
      text << in.rdbuf();
    }
    read = static_cast<bool>(in);
  }
  if (!read) {
    runner_->Fail(0, "cannot read the operator script " + path);
    return false;
  }
  RunScript(text.str());
  if (path != "-") {
    // Made absolute now, so that a later change of the current folder cannot move it.
    std::error_code ignored;
    std::filesystem::path folder =
        std::filesystem::absolute(std::filesystem::path(path), ignored).parent_path();
    runner_->SetScriptFolder(folder.string());
  }
  return true;
}

void HeadlessPlatform::SetOperator(OperatorFn fn) {
  runner_->SetOperator(std::move(fn));
}

void HeadlessPlatform::SetScreen(ScriptScreen* screen) {
  runner_->SetScreen(screen);
}

bool HeadlessPlatform::Perform(TForm& form, std::string_view line) {
  ScriptLine parsed;
  parsed.Source = std::string(line);
  if (auto error = TokenizeLine(line, parsed.Tokens)) {
    parsed.Error = *error;
  }
  return runner_->Perform(form, parsed);
}

const std::vector<std::string>& HeadlessPlatform::Transcript() const {
  return runner_->Log().Lines();
}

void HeadlessPlatform::SetTranscriptFile(const std::string& path) {
  runner_->Log().SetFile(path);
}

bool HeadlessPlatform::Failed() const {
  return runner_->Failed();
}

const std::vector<PrintJob>& HeadlessPlatform::PrintJobs() const {
  return runner_->Printer().Jobs();
}

// Each finished job is handed to the writer and reported with the file it became.
void HeadlessPlatform::SetPrintWriter(std::function<std::string(const PrintJob&)> writer) {
  ScriptRunner* runner = runner_.get();
  runner_->Printer().SetOnEndDoc([runner, writer = std::move(writer)](const PrintJob& job) {
    std::string path = writer ? writer(job) : std::string();
    runner->Log().Add("printed " + std::to_string(job.Pages.size()) + " pages " + QuoteText(path));
  });
}

void HeadlessPlatform::SetPrinterResolution(int pixelsPerInch) {
  runner_->Printer().SetPixelsPerInch(pixelsPerInch);
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
  runner_->Log().Add("summary " + QuoteText(text));
}

void HeadlessPlatform::EntryCallEnded() {
  runner_->EntryCallEnded();
}

}  // namespace ui
