// Print jobs as PDF files, through cairo's PDF surface and pango's text layout.
#include "ui/script/PdfPrintWriter.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <pango/pangocairo.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "sys/CodePage.h"
#include "sys/Files.h"
#include "ui/Platform.h"

namespace ui {
namespace {

// A4 in points.
constexpr double kPageWidth = 595.276;
constexpr double kPageHeight = 841.89;
constexpr double kPointsPerInch = 72.0;
constexpr double kRuleWidth = 0.5;
constexpr int kDefaultTextSize = 10;
// Faces tried after the op's own for what it cannot draw: the CJK face the project
// installs, then whatever fontconfig calls sans.
constexpr char kFallbackFaces[] = "Noto Sans CJK SC,Noto Sans CJK,sans-serif";
// Bound on the numbered names tried in one folder.
constexpr int kMaxPrintFiles = 100000;
constexpr char kFilePrefix[] = "tavro-print-";

struct SurfaceFree {
  void operator()(cairo_surface_t* s) const { cairo_surface_destroy(s); }
};
struct CairoFree {
  void operator()(cairo_t* c) const { cairo_destroy(c); }
};
struct LayoutFree {
  void operator()(PangoLayout* l) const { g_object_unref(l); }
};
struct FontFree {
  void operator()(PangoFontDescription* f) const { pango_font_description_free(f); }
};

// Where cairo's output goes, and the first write error it met.
struct Sink {
  int fd = -1;
  int error = 0;
};

cairo_status_t WriteToSink(void* closure, const unsigned char* data, unsigned int length) {
  auto* sink = static_cast<Sink*>(closure);
  while (length > 0) {
    const ssize_t n = ::write(sink->fd, data, length);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      sink->error = errno;
      return CAIRO_STATUS_WRITE_ERROR;
    }
    data += n;
    length -= static_cast<unsigned int>(n);
  }
  return CAIRO_STATUS_SUCCESS;
}

// A failed write names the system's reason (a full disk, say) rather than cairo's
// "error while writing".
void CheckCairo(cairo_status_t status, const Sink& sink, const char* what) {
  if (sink.error != 0) {
    throw std::runtime_error(std::string("cannot write the PDF: ") + std::strerror(sink.error));
  }
  if (status != CAIRO_STATUS_SUCCESS) {
    throw std::runtime_error(std::string("cannot ") + what + ": " + cairo_status_to_string(status));
  }
}

// Device pixels to points at a resolution (a missing one counts as 600).
double ToPoints(int pixels, int pixelsPerInch) {
  return pixels * kPointsPerInch / (pixelsPerInch > 0 ? pixelsPerInch : 600);
}

void DrawText(cairo_t* cr, PangoLayout* layout, const PrintJob& job, const PrintOp& op) {
  const std::string family = sys::GbkToUtf8(op.FontName);
  const std::string faces = family.empty() ? kFallbackFaces : family + "," + kFallbackFaces;
  std::unique_ptr<PangoFontDescription, FontFree> font(pango_font_description_new());
  pango_font_description_set_family(font.get(), faces.c_str());
  const int size = op.FontSize > 0 ? op.FontSize : kDefaultTextSize;
  // The surface's unit is the point, so a size in points is an absolute size.
  pango_font_description_set_absolute_size(font.get(), static_cast<double>(size) * PANGO_SCALE);
  pango_layout_set_font_description(layout, font.get());
  const std::string text = sys::GbkToUtf8(op.Text);
  pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
  // The first baseline where the report's text cell puts it (kTextBaselineEms).
  const double baseline = static_cast<double>(pango_layout_get_baseline(layout)) / PANGO_SCALE;
  cairo_move_to(cr, ToPoints(op.X1, job.PixelsPerInchX),
                ToPoints(op.Y1, job.PixelsPerInchY) + kTextBaselineEms * size - baseline);
  pango_cairo_show_layout(cr, layout);
}

void DrawLine(cairo_t* cr, const PrintJob& job, const PrintOp& op) {
  cairo_move_to(cr, ToPoints(op.X1, job.PixelsPerInchX), ToPoints(op.Y1, job.PixelsPerInchY));
  cairo_line_to(cr, ToPoints(op.X2, job.PixelsPerInchX), ToPoints(op.Y2, job.PixelsPerInchY));
  cairo_stroke(cr);
}

// Joins a folder and a file name; an empty folder is the current one.
std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) {
    return name;
  }
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

[[noreturn]] void FailFile(const char* what, const std::string& path, int error) {
  throw std::runtime_error(std::string("cannot ") + what + " " + path + ": " +
                           std::strerror(error));
}

}  // namespace

void WritePdf(const PrintJob& job, int fd) {
  Sink sink{fd, 0};
  std::unique_ptr<cairo_surface_t, SurfaceFree> surface(
      cairo_pdf_surface_create_for_stream(WriteToSink, &sink, kPageWidth, kPageHeight));
  CheckCairo(cairo_surface_status(surface.get()), sink, "start the PDF");
  const std::string title = sys::GbkToUtf8(job.Title);
  if (!title.empty()) {
    cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_TITLE, title.c_str());
  }
  cairo_pdf_surface_set_metadata(surface.get(), CAIRO_PDF_METADATA_CREATOR, "ManageEdit");
  {
    std::unique_ptr<cairo_t, CairoFree> cr(cairo_create(surface.get()));
    std::unique_ptr<PangoLayout, LayoutFree> layout(pango_cairo_create_layout(cr.get()));
    cairo_set_source_rgb(cr.get(), 0, 0, 0);
    cairo_set_line_width(cr.get(), kRuleWidth);
    for (const PrintedPage& page : job.Pages) {
      for (const PrintOp& op : page.Ops) {
        if (op.Kind == PrintOpKind::Text) {
          DrawText(cr.get(), layout.get(), job, op);
        } else {
          DrawLine(cr.get(), job, op);
        }
      }
      cairo_show_page(cr.get());
    }
    CheckCairo(cairo_status(cr.get()), sink, "draw the PDF");
  }
  cairo_surface_finish(surface.get());
  CheckCairo(cairo_surface_status(surface.get()), sink, "write the PDF");
}

std::string WritePdfToFolder(const PrintJob& job, const std::string& folder) {
  for (int n = 1; n <= kMaxPrintFiles; ++n) {
    std::string path = JoinPath(folder, kFilePrefix + std::to_string(n) + ".pdf");
    const int fd = sys::OpenPrivateFile(path);
    if (fd < 0) {
      if (errno == EEXIST) {
        continue;
      }
      FailFile("create", path, errno);
    }
    try {
      WritePdf(job, fd);
    } catch (...) {
      ::close(fd);
      ::unlink(path.c_str());
      throw;
    }
    if (::close(fd) != 0) {
      const int error = errno;
      ::unlink(path.c_str());
      FailFile("write", path, error);
    }
    return path;
  }
  throw std::runtime_error("cannot create a print file in " + (folder.empty() ? "." : folder) +
                           ": every name up to " + kFilePrefix + std::to_string(kMaxPrintFiles) +
                           ".pdf is taken");
}

std::string FreePrintFileName(const std::string& folder) {
  std::string path;
  for (int n = 1; n <= kMaxPrintFiles; ++n) {
    path = JoinPath(folder, kFilePrefix + std::to_string(n) + ".pdf");
    if (!sys::PathExists(path)) {
      break;
    }
  }
  return path;
}

std::string PrintFolderFromEnvironment() {
  const char* folder = std::getenv("TAVRO_UI_PRINT_DIR");
  return folder != nullptr ? std::string(folder) : std::string();
}

std::function<std::string(const PrintJob&)> PdfPrintWriter(std::string folder) {
  return [folder = std::move(folder)](const PrintJob& job) {
    return sys::Utf8ToGbk(WritePdfToFolder(job, folder));
  };
}

}  // namespace ui
