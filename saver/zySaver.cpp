#include "saver/zySaver.h"

#include <cstring>

zySaver::zySaver() {
  std::strcpy(m_ErrorText, "Error loading screensaver.");
  m_ErrorLine = m_ErrorText;
  m_Parameters[0] = '\0';
  m_PictureMoviePath[0] = '\0';
}
