// Reads one archive back completely, as quorvel-cli verify does, and prints
// the archive's bytes and the elapsed seconds.
#include <windows.h>

#include <cstdio>

#include "util/FileStream.h"
#include "zip/ZipVerify.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: verifybench ARCHIVE\n");
    return 2;
  }
  LARGE_INTEGER frequency, start, stop;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&start);
  qv::TFileStream archive(argv[1], qv::TFileAccess::Read, qv::TFileShare::DenyWrite);
  qv::TArchiveCheck check = qv::VerifyArchive(archive);
  QueryPerformanceCounter(&stop);
  double seconds =
      static_cast<double>(stop.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
  std::printf("%llu %.3f %s\n", static_cast<unsigned long long>(archive.Size()), seconds,
              check.Sound() ? "sound" : "damaged");
  return check.Sound() ? 0 : 1;
}
