#include <gtest/gtest.h>

#include "engine/PeImage.h"

namespace qv {
namespace {

// The first bytes of a program file: "MZ", the PE header's offset at 0x3C,
// "PE\0\0" there and the machine behind it.
std::string Image(std::uint32_t peAt, std::uint16_t machine, std::size_t size = 512) {
  std::string b(size, '\0');
  b[0] = 'M';
  b[1] = 'Z';
  for (int i = 0; i < 4; ++i) b[0x3C + i] = static_cast<char>(peAt >> (8 * i));
  if (peAt + 6 <= size) {
    b.replace(peAt, 4, std::string("PE\0\0", 4));
    b[peAt + 4] = static_cast<char>(machine & 0xFF);
    b[peAt + 5] = static_cast<char>(machine >> 8);
  }
  return b;
}

TEST(PeImage, TellsTheMachineOfAProgramFile) {
  EXPECT_EQ(PeMachine(Image(0x80, kPeMachineI386)), kPeMachineI386);
  EXPECT_EQ(PeMachine(Image(0x100, kPeMachineAmd64)), kPeMachineAmd64);
  EXPECT_STREQ(PeMachineWord(kPeMachineI386), "32-Bit");
  EXPECT_STREQ(PeMachineWord(kPeMachineAmd64), "64-Bit");
  EXPECT_STREQ(PeMachineWord(0xAA64), "unbekannte");
}

TEST(PeImage, BytesThatAreNoProgramFileGiveNoMachine) {
  std::string noMz = Image(0x80, kPeMachineI386);
  noMz[0] = 'X';
  std::string noPe = Image(0x80, kPeMachineI386);
  noPe[0x81] = 'X';
  for (const std::string& bytes :
       {std::string(), std::string("MZ"), noMz, noPe, Image(0x1000, kPeMachineI386),
        Image(0xFFFFFFF0u, kPeMachineI386), Image(0x80, kPeMachineI386, 0x86)})
    EXPECT_EQ(PeMachine(bytes), 0) << bytes.size();
}

}  // namespace
}  // namespace qv
