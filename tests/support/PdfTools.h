// Reading a written PDF back as a person's viewer would, with poppler-utils: its page
// count (pdfinfo), its text (pdftotext) and its pages drawn (pdftoppm).
#pragma once

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace pdf_tools {

// The standard output of a shell command; empty when it cannot be run.
inline std::string CommandOutput(const std::string& command) {
  std::string out;
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  for (std::size_t n = 0; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) {
    out.append(buffer, n);
  }
  ::pclose(pipe);
  return out;
}

// A path as one shell word.
inline std::string ShellWord(const std::string& path) {
  std::string word = "'";
  for (char c : path) {
    word += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return word + "'";
}

// The "Pages:" line of pdfinfo; -1 when the file is no PDF poppler can read.
inline int PageCount(const std::string& path) {
  const std::string info = CommandOutput("pdfinfo " + ShellWord(path) + " 2>/dev/null");
  const std::size_t at = info.find("\nPages:");
  return at == std::string::npos ? -1 : std::stoi(info.substr(at + 7));
}

// The text of every page (UTF-8), pages separated by form feeds.
inline std::string Text(const std::string& path) {
  return CommandOutput("pdftotext -layout " + ShellWord(path) + " - 2>/dev/null");
}

// One page drawn in grey levels (0 black, 255 white).
struct GreyPage {
  int Width = 0;
  int Height = 0;
  std::vector<unsigned char> Pixels;
  int At(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * Width + x]; }
};

// Every page drawn at dpi by pdftoppm (PGM files in scratch, a folder that exists); none
// when it cannot be drawn.
inline std::vector<GreyPage> DrawnPages(const std::string& path, const std::string& scratch,
                                        int dpi) {
  CommandOutput("pdftoppm -gray -r " + std::to_string(dpi) + " " + ShellWord(path) + " " +
                ShellWord(scratch + "/page") + " 2>/dev/null");
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(scratch)) {
    if (entry.path().extension() == ".pgm") files.push_back(entry.path().string());
  }
  std::sort(files.begin(), files.end());
  std::vector<GreyPage> pages;
  for (const std::string& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::string magic;
    GreyPage page;
    int depth = 0;
    in >> magic >> page.Width >> page.Height >> depth;
    in.get();
    if (magic != "P5" || depth != 255 || page.Width <= 0 || page.Height <= 0) continue;
    page.Pixels.resize(static_cast<std::size_t>(page.Width) * page.Height);
    in.read(reinterpret_cast<char*>(page.Pixels.data()),
            static_cast<std::streamsize>(page.Pixels.size()));
    pages.push_back(std::move(page));
    std::filesystem::remove(file);
  }
  return pages;
}

// Where a drawn rule touches a glyph: a rule is a row darkened across at least half the
// page's width; the rows just above and below a band of them must hold no ink (darker
// than mid grey) under the rule. One "page N row Y" per row that does.
inline std::vector<std::string> RulesTouchingText(const std::vector<GreyPage>& pages) {
  std::vector<std::string> touching;
  for (std::size_t p = 0; p < pages.size(); ++p) {
    const GreyPage& page = pages[p];
    std::vector<int> left(page.Height, -1);
    std::vector<int> right(page.Height, -1);
    for (int y = 0; y < page.Height; ++y) {
      int marked = 0;
      for (int x = 0; x < page.Width; ++x) {
        if (page.At(x, y) >= 250) continue;
        ++marked;
        right[y] = x;
        if (left[y] < 0) left[y] = x;
      }
      if (2 * marked < page.Width) left[y] = right[y] = -1;  // not a rule
    }
    const auto inkUnder = [&](int y, int from, int to) {
      for (int x = from; x <= to; ++x) {
        if (page.At(x, y) < 128) return true;
      }
      return false;
    };
    for (int y = 0; y < page.Height; ++y) {
      for (int next : {y - 1, y + 1}) {
        if (left[y] >= 0 && next >= 0 && next < page.Height && left[next] < 0 &&
            inkUnder(next, left[y], right[y])) {
          touching.push_back("page " + std::to_string(p + 1) + " row " + std::to_string(next));
        }
      }
    }
  }
  return touching;
}

}  // namespace pdf_tools
