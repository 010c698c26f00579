#include "zip/ZipWriter.h"

#include <zlib.h>

#include <cstring>

#include "util/Cp1252.h"
#include "util/StrUtils.h"
#include "zip/BlockPipeline.h"
#include "zip/DeflateBlock.h"
#include "zip/ZipFormat.h"

namespace qv {
namespace {

constexpr std::size_t kChunk = 4096;
constexpr std::size_t kMaxTextField = 0xFFFF;
// Entries expected this large get ZIP64 sizes in their local header: deflate
// can grow incompressible data a little, so the margin stays well clear.
constexpr std::uint64_t kZip64Threshold = 0xFFFFFFFFull - (64ull << 20);

bool OnlyBlanksAndControls(const std::string& text) {
  for (char c : text)
    if (static_cast<unsigned char>(c) > 32) return false;
  return true;
}

// First n characters (code points) of a UTF-8 text.
size_t CharacterCount(const std::string& text) {
  size_t n = 0;
  for (size_t pos = 0; pos < text.size(); ++n) DecodeUtf8(text, pos);
  return n;
}

std::string DropCharacters(const std::string& text, size_t count) {
  size_t pos = 0;
  for (size_t i = 0; i < count && pos < text.size(); ++i) DecodeUtf8(text, pos);
  return text.substr(pos);
}

// At least two characters, not beginning with "/", no drive colon.
bool IsAbsoluteEntryName(const std::string& name) {
  size_t pos = 0;
  if (name.empty()) return true;
  char32_t first = DecodeUtf8(name, pos);
  if (pos >= name.size()) return true;
  char32_t second = DecodeUtf8(name, pos);
  return first == '/' || second == ':';
}

bool PrefixMatches(const std::string& fileName, const std::string& base) {
  size_t n = std::min(CharacterCount(fileName), CharacterCount(base));
  size_t i = 0, j = 0;
  for (size_t k = 0; k < n; ++k)
    if (FoldUpper1252(DecodeUtf8(fileName, i)) != FoldUpper1252(DecodeUtf8(base, j))) return false;
  return true;
}

}  // namespace

TZipWriter::TZipWriter()
    : EncodeName(EncodeOemOrUtf8),
      EncodeArchiveComment(EncodeAnsi),
      zstream_(std::make_unique<z_stream_s>()),
      outBuffer_(kChunk) {
  std::memset(zstream_.get(), 0, sizeof(z_stream_s));
}

TZipWriter::~TZipWriter() {
  try {
    Close();
  } catch (...) {
  }
}

void TZipWriter::SetBaseFolder(const std::string& folder) {
  baseFolder_ = folder;
  if (!folder.empty() && folder.back() != '\\' && !OnlyBlanksAndControls(folder))
    baseFolder_ += '\\';
}

std::string TZipWriter::EntryNameFor(const std::string& fileName) const {
  if (PrefixMatches(fileName, baseFolder_))
    return DropCharacters(fileName, CharacterCount(baseFolder_));
  return ExtractFileName(fileName);
}

void TZipWriter::RequireArchive() const {
  if (!archive_) throw EZipWriter("No ZIP archive created yet");
}

void TZipWriter::RequireEntry() const {
  RequireArchive();
  if (!current_) throw EZipWriter("No ZIP entry created yet");
}

void TZipWriter::CheckZlib(int result) const { CheckZlibResult(result); }

std::uint16_t TZipWriter::FlagsForLevel() const {
  switch (CompressionLevel) {
    case 1:
      return 0x0006;
    case 2:
      return 0x0004;
    case 8:
    case 9:
      return 0x0002;
    default:
      return 0;
  }
}

void TZipWriter::CreateArchiveOnStream(IStream& stream, std::uint64_t startOffset) {
  Close();
  archive_ = &stream;
  writer_ = std::make_unique<TBufferedWriter>(stream);
  offset_ = startOffset;
}

void TZipWriter::AddStream(IStream& stream, const std::string& entryName, std::uint32_t dateTime,
                           std::uint32_t attributes, std::uint64_t expectedSize) {
  NewEntry(entryName, dateTime, attributes, expectedSize);
  WriteStream(stream);
}

TZipWriter::TEntry TZipWriter::MakeEntry(const std::string& entryName, std::uint32_t dateTime,
                                         std::uint32_t attributes,
                                         std::uint64_t expectedSize) const {
  if (IsAbsoluteEntryName(entryName))
    throw EZipWriter("EntryName \"" + entryName + "\" is an absolute path, must be relative");
  TEntry entry;
  entry.Name = entryName;
  for (char& c : entry.Name)
    if (c == '\\') c = '/';
  // Name and comment share the UTF-8 flag: where either needs it, both are UTF-8.
  bool nameUtf8 = false, commentUtf8 = false;
  entry.EncodedName = EncodeName(entry.Name, &nameUtf8);
  entry.EncodedComment = EncodeName(EntryComment, &commentUtf8);
  bool utf8 = nameUtf8 || commentUtf8;
  if (utf8) {
    entry.EncodedName = WithoutHalfSurrogates(entry.Name);
    entry.EncodedComment = WithoutHalfSurrogates(EntryComment);
  }
  if (entry.EncodedName.size() > kMaxTextField)
    throw EZipWriter("EntryName \"" + entryName + "\" is too long");
  entry.EncodedComment.resize(std::min(entry.EncodedComment.size(), kMaxTextField));
  entry.Comment = EntryComment;
  entry.DosDateTime = dateTime ? dateTime : zip::DosDateTime(LocalNow());
  entry.Flags = static_cast<std::uint16_t>(FlagsForLevel() | (utf8 ? zip::kFlagUtf8 : 0));
  entry.ExternalAttributes = attributes;
  entry.Method = CompressionMethod;
  entry.Zip64 = expectedSize > kZip64Threshold;
  return entry;
}

void TZipWriter::NewEntry(const std::string& entryName, std::uint32_t dateTime,
                          std::uint32_t attributes, std::uint64_t expectedSize) {
  RequireArchive();
  TEntry entry = MakeEntry(entryName, dateTime, attributes, expectedSize);
  DrainBlocks();
  if (current_) FinishEntry();
  current_ = BeginEntry(std::move(entry));
  PrepareDeflate();
}

TZipWriter::TEntry* TZipWriter::BeginEntry(TEntry entry) {
  entry.LocalHeaderOffset = offset_;
  entries_.push_back(std::move(entry));
  TEntry* begun = &entries_.back();
  headerPosition_ = writer_->Position();
  totalIn_ = totalOut_ = 0;

  zip::THeaderFields h;
  h.VersionNeeded = begun->Zip64 ? zip::kVersionZip64 : zip::kVersion;
  h.Flags = begun->Flags;
  h.Method = begun->Method == TZipCompressionMethod::cmDeflate ? 8 : 0;
  h.DosDateTime = begun->DosDateTime;
  h.Name = begun->EncodedName;
  std::string header = zip::LocalHeader(h, begun->Zip64);
  writer_->Write(header.data(), header.size());
  offset_ += header.size();
  return begun;
}

void TZipWriter::PrepareDeflate() {
  z_stream_s& z = *zstream_;
  z.next_in = nullptr;
  z.avail_in = 0;
  z.next_out = outBuffer_.data();
  z.avail_out = static_cast<uInt>(outBuffer_.size());
  totalIn_ = totalOut_ = 0;
  if (current_->Method == TZipCompressionMethod::cmDeflate) {
    if (zstreamReady_) {
      deflateReset(&z);
    } else {
      CheckZlib(deflateInit2(&z, CompressionLevel, Z_DEFLATED, -15, 8,
                             static_cast<int>(CompressionStrategy)));
      zstreamReady_ = true;
    }
    z.next_out = outBuffer_.data();
    z.avail_out = static_cast<uInt>(outBuffer_.size());
  }
  z.data_type = static_cast<int>(DataType);
  current_->Crc32 = 0;  // zlib's crc32 keeps the register complemented for us
}

void TZipWriter::EmitCompressed(std::size_t count) {
  writer_->Write(outBuffer_.data(), count);
  totalOut_ += count;
  zstream_->next_out = outBuffer_.data();
  zstream_->avail_out = static_cast<uInt>(outBuffer_.size());
}

std::uint32_t TZipWriter::Write(const void* buffer, std::uint32_t count) {
  RequireEntry();
  current_->Crc32 =
      static_cast<std::uint32_t>(crc32(current_->Crc32, static_cast<const Bytef*>(buffer), count));
  if (current_->Method == TZipCompressionMethod::cmDeflate) {
    z_stream_s& z = *zstream_;
    z.next_in = static_cast<Bytef*>(const_cast<void*>(buffer));
    z.avail_in = count;
    while (z.avail_in > 0) {
      std::uint64_t before = z.avail_in;
      int result = deflate(&z, Z_NO_FLUSH);
      CheckZlib(result);
      totalIn_ += before - z.avail_in;
      if (result != Z_OK) break;
      if (z.avail_out == 0) EmitCompressed(outBuffer_.size());
      if (OnProgress)
        OnProgress(*this, static_cast<std::uint32_t>(totalIn_),
                   static_cast<std::uint32_t>(totalOut_));
    }
  } else {
    writer_->Write(buffer, count);
    if (OnProgress)
      OnProgress(*this, static_cast<std::uint32_t>(totalIn_),
                 static_cast<std::uint32_t>(totalOut_));
    totalIn_ += count;
    totalOut_ += count;
  }
  CheckEntrySize(*current_);
  return count;
}

void TZipWriter::WriteStream(IStream& stream) {
  std::uint8_t chunk[kChunk];
  for (;;) {
    std::size_t n = stream.Read(chunk, sizeof chunk);
    if (n == 0) break;
    Write(chunk, static_cast<std::uint32_t>(n));
  }
}

void TZipWriter::FinishEntry() {
  RequireEntry();
  TEntry* entry = current_;
  current_ = nullptr;  // no longer current, also when a step below fails
  if (entry->Method == TZipCompressionMethod::cmDeflate) {
    z_stream_s& z = *zstream_;
    for (;;) {
      int result = deflate(&z, Z_FINISH);
      CheckZlib(result);
      if (result == Z_STREAM_END) break;
      if (z.avail_out == 0) EmitCompressed(outBuffer_.size());
    }
    EmitCompressed(outBuffer_.size() - z.avail_out);
  }
  entry->TextFlag = zstream_->data_type;
  EndEntry(*entry);
}

void TZipWriter::CheckEntrySize(const TEntry& entry) const {
  if (!entry.Zip64 && (totalIn_ >= zip::kMax32 || totalOut_ >= zip::kMax32))
    throw EZipWriter("entry \"" + entry.Name + "\" grew beyond 4 GiB");
}

void TZipWriter::EndEntry(TEntry& entry) {
  offset_ += totalOut_;
  entry.CompressedSize = totalOut_;
  entry.UncompressedSize = totalIn_;
  CheckEntrySize(entry);

  std::uint64_t resume = writer_->Position();
  std::string patch =
      zip::CrcAndSizes(entry.Crc32, entry.CompressedSize, entry.UncompressedSize, entry.Zip64);
  writer_->Seek(headerPosition_ + zip::kCrcAndSizesAt);
  writer_->Write(patch.data(), patch.size());
  if (entry.Zip64) {
    // The ZIP64 extra field's two sizes follow the name.
    zip::TLittleEndian sizes;
    sizes.U64(entry.UncompressedSize);
    sizes.U64(entry.CompressedSize);
    writer_->Seek(headerPosition_ + zip::kLocalHeaderSize + entry.EncodedName.size() + 4);
    writer_->Write(sizes.Str().data(), sizes.Str().size());
  }
  writer_->Seek(resume);
}

void TZipWriter::WriteCentralDirectory() {
  std::uint64_t directoryOffset = offset_;
  std::uint64_t directorySize = 0;
  for (const TEntry& e : entries_) {
    zip::TCentralFields c;
    c.Header.VersionNeeded = e.Zip64 ? zip::kVersionZip64 : zip::kVersion;
    c.Header.Flags = e.Flags;
    c.Header.Method = e.Method == TZipCompressionMethod::cmDeflate ? 8 : 0;
    c.Header.DosDateTime = e.DosDateTime;
    c.Header.Crc32 = e.Crc32;
    c.Header.CompressedSize = e.CompressedSize;
    c.Header.UncompressedSize = e.UncompressedSize;
    c.Header.Name = e.EncodedName;
    c.Comment = e.EncodedComment;
    c.InternalAttributes = e.TextFlag == 1 ? 1 : 0;
    c.ExternalAttributes = e.ExternalAttributes;
    c.LocalHeaderOffset = e.LocalHeaderOffset;
    c.Zip64Sizes = e.Zip64;
    std::string header = zip::CentralHeader(c);
    writer_->Write(header.data(), header.size());
    directorySize += header.size();
  }
  std::string comment = EncodeArchiveComment(ZipComment);
  comment.resize(std::min(comment.size(), kMaxTextField));
  std::string end = zip::EndRecords(entries_.size(), directorySize, directoryOffset, comment);
  writer_->Write(end.data(), end.size());
}

void TZipWriter::Close() {
  if (!archive_) return;
  std::exception_ptr failure;
  try {
    DrainBlocks();
  } catch (...) {
    failure = std::current_exception();
  }
  try {
    // An entry cut short by a failure ends with what was written of it.
    if (blockEntry_) EndBlockEntry();
    if (current_) FinishEntry();
    WriteCentralDirectory();
    writer_->FlushBuffer();
    writer_->Abandon();
    archive_->Flush();  // a part counts as written only once the disk has it
  } catch (...) {
    if (!failure) failure = std::current_exception();
  }
  writer_.reset();  // after a failure it tries to flush, ignoring errors of that flush
  int endResult = Z_OK;
  if (zstreamReady_) {
    endResult = deflateEnd(zstream_.get());
    zstreamReady_ = false;
  }
  current_ = nullptr;
  blockEntry_ = nullptr;
  queued_.clear();
  entries_.clear();
  ownedArchive_.reset();
  archiveFileName_.clear();
  archive_ = nullptr;
  if (failure) std::rethrow_exception(failure);  // the first failure wins
  CheckZlib(endResult);
}

}  // namespace qv
