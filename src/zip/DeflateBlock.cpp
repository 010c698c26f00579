#include "zip/DeflateBlock.h"

#include <zlib.h>

#include <string>

#include "zip/ZipWriter.h"

namespace qv {
namespace {

std::string ZlibText(int result) {
  switch (result) {
    case Z_STREAM_ERROR:
      return "zlib stream error";
    case Z_DATA_ERROR:
      return "zlib data error";
    case Z_MEM_ERROR:
      return "zlib memory error";
    case Z_BUF_ERROR:
      return "zlib buffer error";
    case Z_VERSION_ERROR:
      return "zlib version error";
    default:
      return "zlib error " + std::to_string(result);
  }
}

class TDeflater {
 public:
  TDeflater(int level, int strategy) {
    z_ = z_stream{};
    CheckZlibResult(deflateInit2(&z_, level, Z_DEFLATED, -15, 8, strategy));
    ready_ = true;
  }
  ~TDeflater() {
    if (ready_) deflateEnd(&z_);
  }
  TDeflater(const TDeflater&) = delete;
  TDeflater& operator=(const TDeflater&) = delete;
  z_stream& Stream() { return z_; }

 private:
  z_stream z_;
  bool ready_ = false;
};

void Compress(TDeflateBlock& block) {
  TDeflater deflater(block.Level, block.Strategy);
  z_stream& z = deflater.Stream();
  if (!block.Dictionary.empty())
    CheckZlibResult(deflateSetDictionary(&z, block.Dictionary.data(),
                                         static_cast<uInt>(block.Dictionary.size())));
  z.data_type = block.DataType;
  z.next_in = block.Input.data();
  z.avail_in = static_cast<uInt>(block.Input.size());
  // A sync flush ends the block byte-aligned and not final; the last block finishes.
  int flush = block.Last ? Z_FINISH : Z_SYNC_FLUSH;
  block.Output.resize(deflateBound(&z, z.avail_in) + 16);
  std::size_t used = 0;
  for (;;) {
    z.next_out = block.Output.data() + used;
    z.avail_out = static_cast<uInt>(block.Output.size() - used);
    int result = deflate(&z, flush);
    CheckZlibResult(result);
    used = block.Output.size() - z.avail_out;
    bool done = block.Last ? result == Z_STREAM_END : z.avail_out > 0 && z.avail_in == 0;
    if (done) break;
    block.Output.resize(block.Output.size() * 2);
  }
  block.Output.resize(used);
  block.DataTypeOut = z.data_type;
  block.Crc = static_cast<std::uint32_t>(
      crc32(0, block.Input.data(), static_cast<uInt>(block.Input.size())));
}

}  // namespace

void CheckZlibResult(int result) {
  if (result < 0) throw EZipWriter(ZlibText(result));
}

void CompressBlock(TDeflateBlock& block) {
  try {
    Compress(block);
  } catch (...) {
    block.Failure = std::current_exception();
  }
}

std::uint32_t CombineCrc(std::uint32_t first, std::uint32_t second, std::uint64_t secondLength) {
  // zlib's combine takes a signed length; blocks are far below its limit.
  return static_cast<std::uint32_t>(
      crc32_combine(first, second, static_cast<z_off_t>(secondLength)));
}

}  // namespace qv
