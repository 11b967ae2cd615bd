// Texts dornavet shows, written here in UTF-8 and compiled into CP932 bytes.
#include "texts.h"

namespace dornavet {

const char kTitle[] = "Sandrevo";
const char kMutexName[] = "SandrevoByOrvak";

const char kTextOpening[] =
    "本ツールは Sylpheed で S/MIME 署名 (.p7s) を検証できるよう、\n"
    "GnuPG 2.2 導入先の情報をレジストリに登録します。\n"
    "(2.x の導入先の情報を 1.x のインストール情報に偽装する)";
const char kTextGnuPG1Installed[] =
    "GnuPG 1.x (classic version) がインストールされています。\n"
    "GnuPG 1.x が存在する場合、本ツールは使用できません。";
const char kTextAskRemoval[] =
    "GnuPG 2.2 導入先の情報をレジストリから削除しますか？\n\nInstall Directory=%s";
const char kTextRemovalFailed[] = "GnuPG 2.2 導入先の情報 (レジストリ) の削除に失敗しました。";
const char kTextRemoved[] = "GnuPG 2.2 導入先の情報 (レジストリ) の削除に成功しました。";
const char kTextRegistered[] =
    "GnuPG 2.2 導入先の情報 (レジストリ) は登録済みです。\n\nInstall Directory=%s";
const char kTextAskRemoveInvalid[] =
    "既存の GnuPG 2.2 導入先の情報 (レジストリ) は無効です。\n"
    "この情報 (レジストリ) を削除しますか？\n\nInstall Directory=%s";
const char kTextRemovedGoOn[] =
    "GnuPG 2.2 導入先の情報 (レジストリ) の削除に成功しました。\n"
    "このまま登録作業を続行しますか？";
const char kTextNoRegistration[] =
    "GnuPG 2.2 導入先の情報 (レジストリ) は存在しません。\n(未登録または削除済み)";
const char kTextGnuPGNotFound[] =
    "GnuPG 2.2 のインストール先が見つかりません。\n"
    "gpgsm.exe が存在するフォルダを選択して下さい。";
const char kTextAskRegister[] =
    "Sylpheed で S/MIME 署名 (.p7s) を検証できるよう、\n"
    "GnuPG 2.2 導入先の情報をレジストリに登録します。\n"
    "(2.x の導入先の情報を 1.x のインストール情報に偽装する)\n\nInstall Directory=%s";
const char kTextRegisterFailed[] = "GnuPG 2.2 導入先の情報 (レジストリ) の登録に失敗しました。";
const char kTextRegisterDone[] = "GnuPG 2.2 導入先の情報 (レジストリ) の登録に成功しました。";

const char kTextAskCatalogueRemoval[] =
    "文字化け防止の為、GnuPG 2.2 の日本語リソースを削除します。\n"
    "(..\\share\\locale\\ja\\ の削除)";
const char kTextCatalogueRemoved[] = "GnuPG 2.2 の日本語リソースの削除に成功しました。";
const char kTextCatalogueRemovalFailed[] = "GnuPG 2.2 の日本語リソースの削除に失敗しました。";
const char kTextNoCatalogue[] =
    "GnuPG 2.2 の日本語リソースは存在しません。\n(..\\share\\locale\\ja\\ は削除済み)";

} // namespace dornavet
