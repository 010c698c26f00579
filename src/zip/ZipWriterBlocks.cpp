// TZipWriter's whole entries: read in blocks on the caller's thread,
// compressed on the shared compression threads, written in order.
#include <zlib.h>

#include <algorithm>

#include "zip/BlockPipeline.h"
#include "zip/ZipWriter.h"

namespace qv {
namespace {

// Blocks in flight per writer: enough to keep every thread busy while the
// caller reads and writes, few enough to keep memory small.
std::size_t BlocksInFlight(const TCompressionPool& pool) { return 4 * pool.Threads(); }

// The end of a stream whose blocks so far were all flushed, not final: an
// empty final block with fixed codes.
constexpr std::uint8_t kFinalEmptyBlock[] = {0x03, 0x00};

}  // namespace

void TZipWriter::AddEntry(IStream& stream, const std::string& entryName, std::uint32_t dateTime,
                          std::uint32_t attributes, std::uint64_t expectedSize) {
  if (CompressionMethod != TZipCompressionMethod::cmDeflate) {
    AddStream(stream, entryName, dateTime, attributes, expectedSize);
    return;
  }
  RequireArchive();
  AddDeflatedEntry(stream, MakeEntry(entryName, dateTime, attributes, expectedSize));
}

void TZipWriter::AddDeflatedEntry(IStream& stream, TEntry entry) {
  if (current_) FinishEntry();
  if (!pipeline_)
    pipeline_ = std::make_unique<TBlockPipeline>(SharedCompressionPool(),
                                                 BlocksInFlight(SharedCompressionPool()));
  queued_.push_back(std::move(entry));
  std::vector<std::uint8_t> dictionary;
  bool first = true;
  for (;;) {
    std::unique_ptr<TDeflateBlock> block = ReadBlock(stream, dictionary);
    block->First = first;
    first = false;
    bool last = block->Last;
    SubmitBlock(std::move(block));
    if (last) break;
  }
}

std::unique_ptr<TDeflateBlock> TZipWriter::ReadBlock(IStream& stream,
                                                     std::vector<std::uint8_t>& dictionary) {
  auto block = std::make_unique<TDeflateBlock>();
  std::size_t size = std::max<std::size_t>(1, BlockSize);
  block->Input.resize(size);
  std::size_t filled = ReadFully(stream, block->Input.data(), size);
  block->Input.resize(filled);
  // A full block may be followed by more; an empty last block then ends the stream.
  block->Last = filled < size;
  block->Dictionary = dictionary;
  std::size_t keep = std::min(filled, kDeflateWindow);
  dictionary.assign(block->Input.end() - static_cast<std::ptrdiff_t>(keep), block->Input.end());
  block->Level = CompressionLevel;
  block->Strategy = static_cast<int>(CompressionStrategy);
  block->DataType = static_cast<int>(DataType);
  return block;
}

void TZipWriter::SubmitBlock(std::unique_ptr<TDeflateBlock> block) {
  while (pipeline_->Full()) WriteOldestBlock();
  pipeline_->Submit(std::move(block));
}

void TZipWriter::DrainBlocks() {
  while (pipeline_ && !pipeline_->Empty()) WriteOldestBlock();
}

void TZipWriter::WriteOldestBlock() {
  std::unique_ptr<TDeflateBlock> block = pipeline_->TakeOldest();
  try {
    if (block->First) {
      blockEntry_ = BeginEntry(std::move(queued_.front()));
      queued_.pop_front();
      blockEntry_->Crc32 = 0;
      blockStreamOpen_ = true;
    }
    if (block->Failure) std::rethrow_exception(block->Failure);
    WriteBlock(*block);
  } catch (...) {
    // Nothing queued behind a failure is written; the open entry is ended by Close.
    pipeline_->Discard();
    queued_.clear();
    throw;
  }
}

void TZipWriter::WriteBlock(const TDeflateBlock& block) {
  writer_->Write(block.Output.data(), block.Output.size());
  totalOut_ += block.Output.size();
  totalIn_ += block.Input.size();
  blockEntry_->Crc32 = CombineCrc(blockEntry_->Crc32, block.Crc, block.Input.size());
  blockEntry_->TextFlag = block.DataTypeOut;
  if (block.Last) {
    blockStreamOpen_ = false;
    EndBlockEntry();
  } else {
    CheckEntrySize(*blockEntry_);
  }
  if (OnProgress)
    OnProgress(*this, static_cast<std::uint32_t>(totalIn_), static_cast<std::uint32_t>(totalOut_));
}

void TZipWriter::EndBlockEntry() {
  TEntry* entry = blockEntry_;
  blockEntry_ = nullptr;  // no longer open, also when a step below fails
  if (blockStreamOpen_) {
    blockStreamOpen_ = false;
    writer_->Write(kFinalEmptyBlock, sizeof kFinalEmptyBlock);
    totalOut_ += sizeof kFinalEmptyBlock;
  }
  EndEntry(*entry);
}

}  // namespace qv
