// Texts both programs show, written here in UTF-8 and compiled into CP932 bytes.
#include "texts.h"

const char kTextMutexFailed[] = "多重起動防止用の Mutex の作成に失敗しました。";
const char kTextAlreadyRunning[] = "本ツールの多重起動は禁止されています。";
const char kTextChooseGpgsmFolder[] = "gpgsm.exe が存在するフォルダを選択して下さい。";
