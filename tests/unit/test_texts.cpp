// Every text the programs show equals, byte for byte, the Japanese wording it must
// have once converted to CP932: the expected wording is kept here in UTF-8,
// independently of the sources that compile it.
#include <gtest/gtest.h>

#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "common/texts.h"
#include "trustreg/texts.h"
#ifdef ORVAK_HAVE_PATHREG_TEXTS
#include "pathreg/texts.h"
#endif

namespace {

struct TextRow {
    const char* name;
    const char* compiled; // CP932 bytes as the program holds them
    const char* expected; // the wording, in UTF-8
};

// The UTF-8 text converted to CP932 by the C library; an unconvertible text
// fails the test rather than giving a partial result.
std::string ToCp932(const std::string& utf8)
{
    iconv_t cd = iconv_open("CP932", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        ADD_FAILURE() << "iconv cannot convert UTF-8 to CP932";
        return std::string();
    }
    std::string out(utf8.size() * 2 + 16, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size();
    char* outPtr = out.data();
    size_t outLeft = out.size();
    size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == static_cast<size_t>(-1)) {
        ADD_FAILURE() << "not convertible to CP932 at byte " << (utf8.size() - inLeft) << ": " << utf8;
        return std::string();
    }
    out.resize(out.size() - outLeft);
    return out;
}

std::string Hex(const std::string& bytes)
{
    std::string hex;
    char buffer[4];
    for (unsigned char c : bytes) {
        std::snprintf(buffer, sizeof buffer, "%02X ", c);
        hex += buffer;
    }
    return hex;
}

void ExpectTexts(const TextRow* rows, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        const TextRow& row = rows[i];
        std::string expected = ToCp932(row.expected);
        std::string compiled = row.compiled;
        EXPECT_EQ(expected, compiled) << row.name << "\n  expected: " << Hex(expected)
                                      << "\n  got:      " << Hex(compiled);
    }
}

} // namespace

TEST(Texts, SharedTextsAreTheirCp932Wording)
{
    const TextRow rows[] = {
        {"mutex failure", kTextMutexFailed, "多重起動防止用の Mutex の作成に失敗しました。"},
        {"already running", kTextAlreadyRunning, "本ツールの多重起動は禁止されています。"},
        {"folder chooser title", kTextChooseGpgsmFolder, "gpgsm.exe が存在するフォルダを選択して下さい。"},
    };
    ExpectTexts(rows, std::size(rows));
}

TEST(Texts, TrustRegistrarTextsAreTheirCp932Wording)
{
    const TextRow rows[] = {
        {"title", kTitle, "Tolvique"},
        {"Sylpheed missing", kTextPortableSylpheedBroken, "PortableSylpheed.exe は正常に導入されていません。"},
        {"GnuPG missing", kTextPortableGnuPGMissing, "ポータブル版 Sylpheed/Win32 に GnuPG 2.2 は導入されていません。"},
        {"opening message", kTextOpening,
         "本ツールは GnuPG 2.2 の信頼できる証明書のリストに\n信頼できる鍵、信頼できない鍵の情報を一括登録します。\n"
         "(鍵の情報は Mozilla のルート証明書リストから抽出)"},
        {"reload succeeded", kTextReloadSucceeded, "gpgconf --reload gpg-agent の実行に成功しました。"},
        {"reload failed", kTextReloadFailed, "gpgconf --reload gpg-agent の実行に失敗しました。"},
        {"GnuPG not found", kTextGnuPGNotFound,
         "GnuPG 2.2 の導入先が見つかりません。\ngpgsm.exe が存在するフォルダを選択して下さい。"},
        {"run failed", kTextVersionRunFailed, "gpgsm --version の実行に失敗しました。"},
        {"scratch read failed", kTextScratchReadFailed, "quelbrin.tmp の読込に失敗しました。"},
        {"home failed", kTextHomeFailed, "GnuPG 2.2 のホームディレクトリの確認に失敗しました。"},
        {"missing-list prompt, before host", kTextRootListMissingBeforeHost,
         "Mozilla のルート証明書リスト (certdata.txt) が存在しません。\n"},
        {"missing-list prompt, after host", kTextRootListMissingAfterHost, " から certdata.txt をダウンロードします。"},
        {"download prompt, before host", kTextDownloadPromptBeforeHost,
         "既存の Mozilla のルート証明書リスト (certdata.txt) の\n取得日時は %s です。\n"},
        {"download prompt, after host", kTextDownloadPromptAfterHost,
         " から最新版をダウンロードしますか？\n(登録作業を中止する場合、[キャンセル] を選択)"},
        {"open failed", kTextDownloadOpenFailed, "certdata.tmp のオープンに失敗しました。"},
        {"download error 1", kTextDownloadFailed1, "certdata.txt のダウンロードに失敗しました。 (1)"},
        {"download error 2", kTextDownloadFailed2, "certdata.txt のダウンロードに失敗しました。 (2)"},
        {"download error 3", kTextDownloadFailed3, "certdata.txt のダウンロードに失敗しました。 (3)"},
        {"download error 4", kTextDownloadFailed4, "certdata.txt のダウンロードに失敗しました。 (4)"},
        {"download error 5", kTextDownloadFailed5, "certdata.txt のダウンロードに失敗しました。 (5)"},
        {"root list not found", kTextRootListNotFound, "Mozilla のルート証明書リスト (certdata.txt) が存在しません。"},
        {"root list read failure", kTextRootListReadFailed, "certdata.txt の読込に失敗しました。"},
        {"analysis failure", kTextRootListAnalysisFailed, "Mozilla のルート証明書リストの分析に失敗しました。"},
        {"trust list creation failure", kTextTrustListCreateFailed,
         "GnuPG 2.2 の信頼できる証明書のリストの作成に失敗しました。"},
        {"trust list not found", kTextTrustListNotFound, "GnuPG 2.2 の信頼できる証明書のリストが存在しません。"},
        {"trust list read failure", kTextTrustListReadFailed,
         "GnuPG 2.2 の信頼できる証明書のリストの読込に失敗しました。"},
        {"first-registration prompt", kTextFirstRegistration,
         "GnuPG 2.2 の信頼できる証明書のリスト (trustlist.txt) に\nMozilla のルート証明書リスト (certdata.txt) "
         "の情報を登録します。\n\nGNUPGHOME=%s"},
        {"re-registration prompt", kTextReRegistration,
         "前回の登録日時は %s です。\nGnuPG 2.2 の信頼できる証明書のリスト (trustlist.txt) に\n"
         "Mozilla のルート証明書リストの情報を再登録しますか？\n\nGNUPGHOME=%s"},
        {"update failure", kTextTrustListUpdateFailed, "GnuPG 2.2 の信頼できる証明書のリストの更新に失敗しました。"},
        {"success", kTextTrustListUpdated, "GnuPG 2.2 の信頼できる証明書のリストの更新に成功しました。"},
    };
    ExpectTexts(rows, std::size(rows));
}

#ifdef ORVAK_HAVE_PATHREG_TEXTS
TEST(Texts, PathRegistrarTextsAreTheirCp932Wording)
{
    const TextRow rows[] = {
        {"title", dornavet::kTitle, "Sandrevo"},
        {"R3 opening notice", dornavet::kTextOpening,
         "本ツールは Sylpheed で S/MIME 署名 (.p7s) を検証できるよう、\nGnuPG 2.2 導入先の情報をレジストリに登録します。\n"
         "(2.x の導入先の情報を 1.x のインストール情報に偽装する)"},
        {"R4 GnuPG 1.x installed", dornavet::kTextGnuPG1Installed,
         "GnuPG 1.x (classic version) がインストールされています。\nGnuPG 1.x が存在する場合、本ツールは使用できません。"},
        {"R5 ask removal", dornavet::kTextAskRemoval, "GnuPG 2.2 導入先の情報をレジストリから削除しますか？\n\nInstall Directory=%s"},
        {"R6 removal failed", dornavet::kTextRemovalFailed, "GnuPG 2.2 導入先の情報 (レジストリ) の削除に失敗しました。"},
        {"R7 removed", dornavet::kTextRemoved, "GnuPG 2.2 導入先の情報 (レジストリ) の削除に成功しました。"},
        {"R8 registered", dornavet::kTextRegistered, "GnuPG 2.2 導入先の情報 (レジストリ) は登録済みです。\n\nInstall Directory=%s"},
        {"R9 ask removal of an invalid one", dornavet::kTextAskRemoveInvalid,
         "既存の GnuPG 2.2 導入先の情報 (レジストリ) は無効です。\nこの情報 (レジストリ) を削除しますか？\n\n"
         "Install Directory=%s"},
        {"R10 removed, go on", dornavet::kTextRemovedGoOn,
         "GnuPG 2.2 導入先の情報 (レジストリ) の削除に成功しました。\nこのまま登録作業を続行しますか？"},
        {"R11 no registration", dornavet::kTextNoRegistration,
         "GnuPG 2.2 導入先の情報 (レジストリ) は存在しません。\n(未登録または削除済み)"},
        {"R12 GnuPG not found", dornavet::kTextGnuPGNotFound,
         "GnuPG 2.2 のインストール先が見つかりません。\ngpgsm.exe が存在するフォルダを選択して下さい。"},
        {"R13 ask register", dornavet::kTextAskRegister,
         "Sylpheed で S/MIME 署名 (.p7s) を検証できるよう、\nGnuPG 2.2 導入先の情報をレジストリに登録します。\n"
         "(2.x の導入先の情報を 1.x のインストール情報に偽装する)\n\nInstall Directory=%s"},
        {"R14 register failed", dornavet::kTextRegisterFailed, "GnuPG 2.2 導入先の情報 (レジストリ) の登録に失敗しました。"},
        {"R15 registered now", dornavet::kTextRegisterDone, "GnuPG 2.2 導入先の情報 (レジストリ) の登録に成功しました。"},
        {"L1 ask catalogue removal", dornavet::kTextAskCatalogueRemoval,
         "文字化け防止の為、GnuPG 2.2 の日本語リソースを削除します。\n(..\\share\\locale\\ja\\ の削除)"},
        {"L2 catalogue removed", dornavet::kTextCatalogueRemoved, "GnuPG 2.2 の日本語リソースの削除に成功しました。"},
        {"L3 catalogue removal failed", dornavet::kTextCatalogueRemovalFailed, "GnuPG 2.2 の日本語リソースの削除に失敗しました。"},
        {"L4 no catalogue", dornavet::kTextNoCatalogue,
         "GnuPG 2.2 の日本語リソースは存在しません。\n(..\\share\\locale\\ja\\ は削除済み)"},
    };
    ExpectTexts(rows, std::size(rows));
}
#endif
