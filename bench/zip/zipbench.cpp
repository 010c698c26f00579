// Packs a folder tree into one archive the way the archive building does
// (shared opens, default level, base folder) and prints the elapsed time.
#include <windows.h>

#include <cstdio>

#include "util/FileWalker.h"
#include "zip/ZipWriter.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: zipbench SOURCE_FOLDER ARCHIVE\n");
    return 2;
  }
  LARGE_INTEGER frequency, start, stop;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  qv::TZipWriter zip;
  zip.OpenSharedWithRetry = true;
  zip.CreateArchive(argv[2]);
  zip.SetBaseFolder(argv[1]);
  qv::TFileWalker finder;
  finder.FileFilter = true;
  finder.Recurse = true;
  finder.SetSearchFolder(argv[1]);
  std::uint64_t bytes = 0;
  while (finder.FindNext()) {
    zip.AddFile(finder.FoundPath());
    bytes += finder.CurrentEntry().Size;
  }
  zip.Close();
  QueryPerformanceCounter(&stop);
  double seconds =
      static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  std::printf("%llu %.3f\n", static_cast<unsigned long long>(bytes), seconds);
  return 0;
}
