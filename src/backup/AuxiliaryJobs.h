#pragma once
// Auxiliary jobs between runs: a write into every database folder keeps
// network shares connected; cache copies keep the table files below the
// temporary folder. They report only their end.
#include <memory>
#include <string>

#include "backup/JobChannel.h"
#include "backup/WorkerThreadPool.h"

namespace qv {

class TKeepAliveWriteJob : public TWorkerThreadJob {
 public:
  // An empty name becomes "netrefresh"; blanks, \ and / are removed from it.
  TKeepAliveWriteJob(std::string databases, const std::string& name);
  void Run() override;

  const std::string& FolderName() const { return name_; }
  // {Dir}RandomAccess\{Name}\{Computer}-{Hash}.TXT of a database folder.
  std::string FilePathFor(const std::string& databaseDir) const;

 private:
  void Refresh(const std::string& databaseDir);
  std::string databases_;
  std::string name_;
};

class TNetworkKeepAliveJob : public TKeepAliveWriteJob {
 public:
  TNetworkKeepAliveJob(std::string databases, std::shared_ptr<TJobChannel> channel);
  void Run() override;

 private:
  std::shared_ptr<TJobChannel> channel_;
};

class TAuxiliaryJob : public TWorkerThreadJob {
 public:
  explicit TAuxiliaryJob(std::shared_ptr<TJobChannel> channel) : channel_(std::move(channel)) {}

 protected:
  void PostDone() { channel_->PostOtherJobDone(); }

 private:
  std::shared_ptr<TJobChannel> channel_;
};

class TCopyCacheJob : public TAuxiliaryJob {
 public:
  TCopyCacheJob(const std::string& databaseDir, std::shared_ptr<TJobChannel> channel, int index);
  void Run() override;
  // TempSubfolder("Temporärer Cache." + index).
  static std::string CacheFolder(int index);

 private:
  void CopyIntoCache(const std::string& source);
  std::string databaseDir_;
  int index_;
};

}  // namespace qv
