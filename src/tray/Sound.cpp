#include "tray/Sound.h"

#include "ui/UiSeams.h"

namespace qv {

void TSound::Play() {
  if (OnPlay) OnPlay(*this);
  if (!Data.Empty()) ui::SoundPlayer().PlayMemory(Data.Bytes().data(), Data.Size());
}

}  // namespace qv
