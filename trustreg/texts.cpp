// Every text quelbrin shows, written here in UTF-8 and compiled into CP932 bytes.
#include "texts.h"

const char kTitle[] = "Tolvique";

const char kTextPortableSylpheedBroken[] = "PortableSylpheed.exe は正常に導入されていません。";
const char kTextPortableGnuPGMissing[] = "ポータブル版 Sylpheed/Win32 に GnuPG 2.2 は導入されていません。";
const char kTextOpening[] =
    "本ツールは GnuPG 2.2 の信頼できる証明書のリストに\n"
    "信頼できる鍵、信頼できない鍵の情報を一括登録します。\n"
    "(鍵の情報は Mozilla のルート証明書リストから抽出)";
const char kTextReloadSucceeded[] = "gpgconf --reload gpg-agent の実行に成功しました。";
const char kTextReloadFailed[] = "gpgconf --reload gpg-agent の実行に失敗しました。";

const char kTextGnuPGNotFound[] =
    "GnuPG 2.2 の導入先が見つかりません。\n"
    "gpgsm.exe が存在するフォルダを選択して下さい。";

const char kTextVersionRunFailed[] = "gpgsm --version の実行に失敗しました。";
const char kTextScratchReadFailed[] = "quelbrin.tmp の読込に失敗しました。";
const char kTextHomeFailed[] = "GnuPG 2.2 のホームディレクトリの確認に失敗しました。";

const char kTextRootListMissingBeforeHost[] = "Mozilla のルート証明書リスト (certdata.txt) が存在しません。\n";
const char kTextRootListMissingAfterHost[] = " から certdata.txt をダウンロードします。";
const char kTextDownloadPromptBeforeHost[] =
    "既存の Mozilla のルート証明書リスト (certdata.txt) の\n"
    "取得日時は %s です。\n";
const char kTextDownloadPromptAfterHost[] =
    " から最新版をダウンロードしますか？\n"
    "(登録作業を中止する場合、[キャンセル] を選択)";
// Stands in the download prompt for the date of a copy that has no time stamp.
const char kTextNoDateText[] = "不明";
const char kTextDownloadOpenFailed[] = "certdata.tmp のオープンに失敗しました。";
const char kTextDownloadFailed1[] = "certdata.txt のダウンロードに失敗しました。 (1)";
const char kTextDownloadFailed2[] = "certdata.txt のダウンロードに失敗しました。 (2)";
const char kTextDownloadFailed3[] = "certdata.txt のダウンロードに失敗しました。 (3)";
const char kTextDownloadFailed4[] = "certdata.txt のダウンロードに失敗しました。 (4)";
const char kTextDownloadFailed5[] = "certdata.txt のダウンロードに失敗しました。 (5)";
const char kTextDownloadFailed6[] = "certdata.txt のダウンロードに失敗しました。 (6)";

const char kTextRootListNotFound[] = "Mozilla のルート証明書リスト (certdata.txt) が存在しません。";
const char kTextRootListReadFailed[] = "certdata.txt の読込に失敗しました。";
const char kTextRootListAnalysisFailed[] = "Mozilla のルート証明書リストの分析に失敗しました。";

const char kTextTrustListCreateFailed[] = "GnuPG 2.2 の信頼できる証明書のリストの作成に失敗しました。";
const char kTextTrustListNotFound[] = "GnuPG 2.2 の信頼できる証明書のリストが存在しません。";
const char kTextTrustListReadFailed[] = "GnuPG 2.2 の信頼できる証明書のリストの読込に失敗しました。";
const char kTextFirstRegistration[] =
    "GnuPG 2.2 の信頼できる証明書のリスト (trustlist.txt) に\n"
    "Mozilla のルート証明書リスト (certdata.txt) の情報を登録します。\n"
    "\n"
    "GNUPGHOME=%s";
const char kTextReRegistration[] =
    "前回の登録日時は %s です。\n"
    "GnuPG 2.2 の信頼できる証明書のリスト (trustlist.txt) に\n"
    "Mozilla のルート証明書リストの情報を再登録しますか？\n"
    "\n"
    "GNUPGHOME=%s";
const char kTextTrustListUpdateFailed[] = "GnuPG 2.2 の信頼できる証明書のリストの更新に失敗しました。";
const char kTextTrustListUpdated[] = "GnuPG 2.2 の信頼できる証明書のリストの更新に成功しました。";
