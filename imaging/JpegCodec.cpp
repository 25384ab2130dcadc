#include "JpegCodec.h"

#include "Bitmap32.h"
#include "CmykColour.h"
#include "ImagingErrors.h"
#include "VectorState.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>

#include <jerror.h>
#include <jpeglib.h>

namespace lumvale {

EJPEG::EJPEG(int messageCode, const QString& libjpegText)
    : Exception(QStringLiteral("JPEG-Fehler #%1: %2").arg(messageCode).arg(libjpegText)),
      code_(messageCode) {}

namespace jpeg {

namespace {

enum class Limit { none, scans };

// libjpeg's fatal errors jump back to the innermost Guarded call. Nothing with a destructor may
// live in the frames between that call and libjpeg, so the jump never skips one.
struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
  Limit limit = Limit::none;
  j_common_ptr owner;
  // libjpeg's warnings that data went missing: the file ends early, or a segment is cut off or
  // garbled. libjpeg decodes on and leaves the missing part grey.
  bool dataMissing = false;

  explicit ErrorManager(j_common_ptr cinfo) : owner(cinfo) {
    cinfo->err = jpeg_std_error(&pub);
    pub.error_exit = [](j_common_ptr c) {
      std::longjmp(reinterpret_cast<ErrorManager*>(c->err)->jump, 1);
    };
    pub.emit_message = [](j_common_ptr c, int level) {
      const int code = c->err->msg_code;
      if (level < 0 &&
          (code == JWRN_JPEG_EOF || code == JWRN_HIT_MARKER || code == JWRN_MUST_RESYNC)) {
        reinterpret_cast<ErrorManager*>(c->err)->dataMissing = true;
      }
    };
    pub.output_message = [](j_common_ptr) {};
  }

  [[noreturn]] void Raise() const {
    if (limit == Limit::scans) {
      throw EJPEG(QStringLiteral("The JPEG file has more than %1 scans").arg(kMaxScans));
    }
    char text[JMSG_LENGTH_MAX] = {};
    (*pub.format_message)(owner, text);
    throw EJPEG(pub.msg_code, QString::fromLocal8Bit(text));
  }
};

// Runs fn, which calls libjpeg; throws EJPEG when libjpeg raised an error.
template <class Fn>
bool RunProtected(ErrorManager& err, Fn& fn) {
  if (setjmp(err.jump) != 0) return false;
  fn();
  return true;
}

template <class Fn>
void Guarded(ErrorManager& err, Fn&& fn) {
  if (!RunProtected(err, fn)) err.Raise();
}

// Hands libjpeg the whole buffer at once. At its end, like libjpeg's file source: no data at all
// is an error; otherwise an end-of-image marker is inserted (with a dropped warning), so that a
// file cut short still decodes.
struct MemorySource {
  jpeg_source_mgr pub{};
  const uint8_t* data;
  size_t size;
  bool started = false;

  MemorySource(const uint8_t* bytes, size_t count) : data(bytes), size(count) {
    pub.init_source = [](j_decompress_ptr) {};
    pub.fill_input_buffer = &Fill;
    pub.skip_input_data = &Skip;
    pub.resync_to_restart = jpeg_resync_to_restart;
    pub.term_source = [](j_decompress_ptr) {};
  }

  static boolean Fill(j_decompress_ptr cinfo) {
    static const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};
    auto* self = reinterpret_cast<MemorySource*>(cinfo->src);
    if (!self->started) {
      if (self->size == 0) ERREXIT(cinfo, JERR_INPUT_EMPTY);
      self->started = true;
      self->pub.next_input_byte = self->data;
      self->pub.bytes_in_buffer = self->size;
      return TRUE;
    }
    WARNMS(cinfo, JWRN_JPEG_EOF);
    self->pub.next_input_byte = kEndOfImage;
    self->pub.bytes_in_buffer = 2;
    return TRUE;
  }

  static void Skip(j_decompress_ptr cinfo, long count) {
    if (count <= 0) return;
    auto* src = cinfo->src;
    if (src->bytes_in_buffer == 0) Fill(cinfo);
    if (static_cast<unsigned long>(count) > src->bytes_in_buffer) {
      // Past the end: the next read inserts the end-of-image marker.
      src->next_input_byte += src->bytes_in_buffer;
      src->bytes_in_buffer = 0;
      return;
    }
    src->next_input_byte += count;
    src->bytes_in_buffer -= static_cast<size_t>(count);
  }
};

// Counts scans as libjpeg reads them: a hostile progressive file could hold millions of tiny
// scans, each costing a pass over the whole coefficient buffer.
void LimitScans(j_common_ptr c) {
  auto* d = reinterpret_cast<j_decompress_ptr>(c);
  if (d->input_scan_number > kMaxScans) {
    reinterpret_cast<ErrorManager*>(c->err)->limit = Limit::scans;
    ERREXIT(c, JERR_NOTIMPL);
  }
}

// Owns a libjpeg decompressor over bytes in memory.
struct Decompressor {
  jpeg_decompress_struct cinfo{};
  ErrorManager err{reinterpret_cast<j_common_ptr>(&cinfo)};
  jpeg_progress_mgr progress{};
  MemorySource source;

  Decompressor(const uint8_t* data, size_t size) : source(data, size) {
    try {
      Guarded(err, [this] {
        jpeg_create_decompress(&cinfo);
        cinfo.mem->max_memory_to_use = kMaxWorkMemory;
      });
    } catch (...) {
      jpeg_destroy_decompress(&cinfo);
      throw;
    }
    cinfo.src = &source.pub;
    progress.progress_monitor = &LimitScans;
    cinfo.progress = &progress;
  }
  ~Decompressor() { jpeg_destroy_decompress(&cinfo); }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;
};

uint64_t PixelBytes(uint64_t width, uint64_t height) {
  return width * height * 4;
}

}  // namespace

HeaderInfo ReadHeader(const uint8_t* data, size_t size) {
  Decompressor d(data, size);
  HeaderInfo info;
  Guarded(d.err, [&d] { jpeg_read_header(&d.cinfo, TRUE); });
  info.width = static_cast<int32_t>(d.cinfo.image_width);
  info.height = static_cast<int32_t>(d.cinfo.image_height);
  info.grayscale = d.cinfo.jpeg_color_space == JCS_GRAYSCALE;
  info.progressive = jpeg_has_multiple_scans(&d.cinfo);
  return info;
}

namespace {

bool Starts(const jpeg_saved_marker_ptr m, const char* header, size_t length) {
  return m->data_length >= length && std::memcmp(m->data, header, length) == 0;
}

std::vector<uint8_t> After(const jpeg_saved_marker_ptr m, size_t header) {
  return {m->data + header, m->data + m->data_length};
}

// The profile libjpeg put together from the saved APP2 markers; none when they are not well
// formed. libjpeg hands over a buffer of its own, released here.
std::vector<uint8_t> ProfileOf(jpeg_decompress_struct& c) {
  JOCTET* profile = nullptr;
  unsigned int length = 0;
  if (!jpeg_read_icc_profile(&c, &profile, &length)) return {};
  const std::unique_ptr<JOCTET, decltype(&std::free)> owned(profile, &std::free);
  return {profile, profile + length};
}

}  // namespace

FileExtras ReadExtras(const uint8_t* data, size_t size) {
  Decompressor d(data, size);
  jpeg_decompress_struct& c = d.cinfo;
  Guarded(d.err, [&] {
    for (int app : {1, 2, 13}) jpeg_save_markers(&c, JPEG_APP0 + app, 0xFFFF);
    jpeg_read_header(&c, TRUE);
  });
  FileExtras extras;
  extras.cmyk = c.jpeg_color_space == JCS_CMYK || c.jpeg_color_space == JCS_YCCK;
  for (jpeg_saved_marker_ptr m = c.marker_list; m; m = m->next) {
    if (m->marker == JPEG_APP0 + 1 && extras.exif.empty() && Starts(m, kExifHeader, 6)) {
      extras.exif = After(m, 6);
    } else if (m->marker == JPEG_APP0 + 1 && extras.xmp.empty() &&
               Starts(m, kXmpHeader, sizeof kXmpHeader)) {
      extras.xmp = After(m, sizeof kXmpHeader);
    } else if (m->marker == JPEG_APP0 + 13 && extras.iptc.empty() &&
               Starts(m, kPhotoshopHeader, sizeof kPhotoshopHeader)) {
      extras.iptc = After(m, sizeof kPhotoshopHeader);
    }
  }
  Guarded(d.err, [&] { extras.icc = ProfileOf(c); });
  return extras;
}

DecodeResult Decode(const uint8_t* data, size_t size, const DecodeParams& params,
                    DecodeSink& sink) {
  ClearUpperVectorState();  // libjpeg's SIMD code is partly legacy SSE
  Decompressor d(data, size);
  jpeg_decompress_struct& c = d.cinfo;
  bool cmyk = false;
  Guarded(d.err, [&] {
    jpeg_save_markers(&c, JPEG_APP0 + 2, 0xFFFF);  // a CMYK file's colour profile
    jpeg_read_header(&c, TRUE);
    cmyk = c.jpeg_color_space == JCS_CMYK || c.jpeg_color_space == JCS_YCCK;
    c.scale_num = 1;
    c.scale_denom = 1u << params.scaleExponent;
    c.do_block_smoothing = params.blockSmoothing;
    c.dct_method = JDCT_FLOAT;
    if (params.grayscaleOutput) c.out_color_space = JCS_GRAYSCALE;
    if (cmyk && !params.grayscaleOutput) {
      // libjpeg gives the inks; TCmykToRgb makes colour of them below.
      c.out_color_space = JCS_CMYK;
    } else if (params.paletted || c.out_color_space == JCS_GRAYSCALE) {
      c.quantize_colors = TRUE;
      c.desired_number_of_colors = 236;
    }
    if (params.fast) {
      c.dct_method = JDCT_IFAST;
      c.two_pass_quantize = FALSE;
      c.dither_mode = JDITHER_ORDERED;
    }
    // Colour comes out as blue, green, red bytes, the order of TColor32 in memory.
    if (!c.quantize_colors && c.out_color_space != JCS_CMYK)
      c.out_color_space = sink.FourBytesPerPixel() ? JCS_EXT_BGRX : JCS_EXT_BGR;
    jpeg_calc_output_dimensions(&c);
  });
  if (PixelBytes(c.output_width, c.output_height) > kMaxPixelStoreBytes) {
    throw EJPEG(QStringLiteral("The JPEG picture is too large: %1 x %2 pixels exceed the limit "
                               "of %3 MB")
                    .arg(c.output_width)
                    .arg(c.output_height)
                    .arg(kMaxPixelStoreBytes >> 20));
  }
  const bool indexed = c.quantize_colors;
  sink.Prepare(static_cast<int32_t>(c.output_width), static_cast<int32_t>(c.output_height),
               indexed);
  std::unique_ptr<TCmykToRgb> inks;
  std::vector<uint8_t> inkRow;
  if (c.out_color_space == JCS_CMYK) {
    std::vector<uint8_t> profile;
    Guarded(d.err, [&] { profile = ProfileOf(c); });
    // Adobe's marker tells that the inks are stored inverted, as Photoshop writes them.
    inks = std::make_unique<TCmykToRgb>(profile, c.saw_Adobe_marker != 0,
                                        sink.FourBytesPerPixel() ? 4 : 3);
    inkRow.resize(size_t(c.output_width) * 4);
  }
  Guarded(d.err, [&] { jpeg_start_decompress(&c); });
  if (indexed) {
    std::vector<TColor32> palette(static_cast<size_t>(c.actual_number_of_colors));
    const bool gray = c.out_color_components == 1;
    for (size_t i = 0; i < palette.size(); ++i) {
      const uint8_t r = c.colormap[0][i];
      palette[i] = gray ? Color32(r, r, r) : Color32(r, c.colormap[1][i], c.colormap[2][i]);
    }
    sink.SetPalette(palette);
  }
  Guarded(d.err, [&] {
    while (c.output_scanline < c.output_height) {
      if (sink.Stopped()) throw EAbort();
      const auto y = static_cast<int32_t>(c.output_scanline);
      JSAMPROW row = inks ? inkRow.data() : sink.Row(y);
      jpeg_read_scanlines(&c, &row, 1);
      if (inks) inks->Convert(inkRow.data(), sink.Row(y), int32_t(c.output_width));
      sink.RowDone(y);
    }
    jpeg_finish_decompress(&c);
  });
  return {d.err.dataMissing};
}

namespace {

// Appends the encoder's output to a byte vector through a 4096-byte buffer.
struct VectorDestination {
  static constexpr size_t kBlock = 4096;
  jpeg_destination_mgr pub{};
  std::vector<uint8_t>& out;
  JOCTET buffer[kBlock];

  VectorDestination(j_compress_ptr cinfo, std::vector<uint8_t>& target) : out(target) {
    pub.init_destination = [](j_compress_ptr c) {
      auto* self = reinterpret_cast<VectorDestination*>(c->dest);
      self->pub.next_output_byte = self->buffer;
      self->pub.free_in_buffer = kBlock;
    };
    pub.empty_output_buffer = [](j_compress_ptr c) -> boolean {
      auto* self = reinterpret_cast<VectorDestination*>(c->dest);
      if (!self->Append(kBlock)) ERREXIT(c, JERR_FILE_WRITE);
      self->pub.next_output_byte = self->buffer;
      self->pub.free_in_buffer = kBlock;
      return TRUE;
    };
    pub.term_destination = [](j_compress_ptr c) {
      auto* self = reinterpret_cast<VectorDestination*>(c->dest);
      if (!self->Append(kBlock - self->pub.free_in_buffer)) ERREXIT(c, JERR_FILE_WRITE);
    };
    cinfo->dest = &pub;
  }

  // A short write (out of memory) reports false; the exception ends here, before libjpeg jumps.
  bool Append(size_t count) noexcept {
    try {
      out.insert(out.end(), buffer, buffer + count);
      return true;
    } catch (const std::bad_alloc&) {
      return false;
    }
  }
};

// Owns a libjpeg compressor.
struct Compressor {
  jpeg_compress_struct cinfo{};
  ErrorManager err{reinterpret_cast<j_common_ptr>(&cinfo)};

  Compressor() {
    try {
      Guarded(err, [this] {
        jpeg_create_compress(&cinfo);
        cinfo.mem->max_memory_to_use = kMaxWorkMemory;
      });
    } catch (...) {
      jpeg_destroy_compress(&cinfo);
      throw;
    }
  }
  ~Compressor() { jpeg_destroy_compress(&cinfo); }
  Compressor(const Compressor&) = delete;
  Compressor& operator=(const Compressor&) = delete;
};

}  // namespace

void Encode(const EncodeSource& source, const EncodeParams& params, std::vector<uint8_t>& out) {
  ClearUpperVectorState();
  Compressor e;
  VectorDestination dest(&e.cinfo, out);
  jpeg_compress_struct& c = e.cinfo;
  Guarded(e.err, [&] {
    c.image_width = static_cast<JDIMENSION>(source.width);
    c.image_height = static_cast<JDIMENSION>(source.height);
    c.input_components = source.bytesPerPixel;
    c.in_color_space = source.bytesPerPixel == 4 ? JCS_EXT_BGRX : JCS_EXT_BGR;
    jpeg_set_defaults(&c);
    c.dct_method = JDCT_FLOAT;
    jpeg_set_quality(&c, params.quality, TRUE);
    if (params.grayscale) jpeg_set_colorspace(&c, JCS_GRAYSCALE);
    if (params.progressive) jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    for (const Marker& m : params.markers) {
      jpeg_write_marker(&c, m.code, m.payload.data(), static_cast<unsigned>(m.payload.size()));
    }
    if (!params.icc.empty()) {
      jpeg_write_icc_profile(&c, params.icc.data(), static_cast<unsigned>(params.icc.size()));
    }
    jpeg_write_scanlines(&c, const_cast<JSAMPARRAY>(source.rows),
                         static_cast<JDIMENSION>(source.height));
    jpeg_finish_compress(&c);
  });
}

}  // namespace jpeg
}  // namespace lumvale
