# Every message-box text of quelbrin and dornavet, in UTF-8, with its MessageBoxA flags.
"""Box name -> Box(flags, text). In a text, \\n is a line break and %s a value filled in
by the program. The runner encodes texts to CP932 and compares them byte for byte."""

from collections import namedtuple

Box = namedtuple("Box", "flags text")

TITLES = {"quelbrin": "Tolvique", "dornavet": "Sandrevo"}

# The server quelbrin downloads certdata.txt from; its prompts name it.
DOWNLOAD_HOST = "raw.githubusercontent.com"

# Shown by both programs.
SHARED = {
    "mutex_failed": Box(0x10, "多重起動防止用の Mutex の作成に失敗しました。"),
    "already_running": Box(0x30, "本ツールの多重起動は禁止されています。"),
}

# The folder chooser's instruction text, the same in both programs.
CHOOSE_GPGSM_FOLDER = "gpgsm.exe が存在するフォルダを選択して下さい。"

QUELBRIN = {
    # run sequence
    "sylpheed_missing": Box(0x30, "PortableSylpheed.exe は正常に導入されていません。"),
    "gnupg_missing": Box(0x30, "ポータブル版 Sylpheed/Win32 に GnuPG 2.2 は導入されていません。"),
    "opening": Box(0x40, "本ツールは GnuPG 2.2 の信頼できる証明書のリストに\n"
                         "信頼できる鍵、信頼できない鍵の情報を一括登録します。\n"
                         "(鍵の情報は Mozilla のルート証明書リストから抽出)"),
    "reload_succeeded": Box(0x40, "gpgconf --reload gpg-agent の実行に成功しました。"),
    "reload_failed": Box(0x10, "gpgconf --reload gpg-agent の実行に失敗しました。"),
    # GnuPG locator
    "gnupg_not_found": Box(0x31, "GnuPG 2.2 の導入先が見つかりません。\n" + CHOOSE_GPGSM_FOLDER),
    # home discovery
    "gpgsm_run_failed": Box(0x10, "gpgsm --version の実行に失敗しました。"),
    "tmp_read_failed": Box(0x10, "quelbrin.tmp の読込に失敗しました。"),
    "home_failed": Box(0x10, "GnuPG 2.2 のホームディレクトリの確認に失敗しました。"),
    # root list freshness and download; %s is the date text of certdata.txt
    "missing_list": Box(0x31, "Mozilla のルート証明書リスト (certdata.txt) が存在しません。\n"
                              + DOWNLOAD_HOST + " から certdata.txt をダウンロードします。"),
    "download_prompt_stale": Box(0x33, "既存の Mozilla のルート証明書リスト (certdata.txt) の\n"
                                       "取得日時は %s です。\n" + DOWNLOAD_HOST +
                                       " から最新版をダウンロードしますか？\n"
                                       "(登録作業を中止する場合、[キャンセル] を選択)"),
    "tmp_open_failed": Box(0x10, "certdata.tmp のオープンに失敗しました。"),
    "download_error_1": Box(0x10, "certdata.txt のダウンロードに失敗しました。 (1)"),
    "download_error_2": Box(0x10, "certdata.txt のダウンロードに失敗しました。 (2)"),
    "download_error_3": Box(0x10, "certdata.txt のダウンロードに失敗しました。 (3)"),
    "download_error_4": Box(0x10, "certdata.txt のダウンロードに失敗しました。 (4)"),
    "download_error_5": Box(0x10, "certdata.txt のダウンロードに失敗しました。 (5)"),
    # the answer was no usable root list (not a whole body, or nothing trusted in it)
    "download_error_6": Box(0x10, "certdata.txt のダウンロードに失敗しました。 (6)"),
    # root list parser
    "certdata_not_found": Box(0x10, "Mozilla のルート証明書リスト (certdata.txt) が存在しません。"),
    "certdata_read_failed": Box(0x10, "certdata.txt の読込に失敗しました。"),
    "analysis_failed": Box(0x10, "Mozilla のルート証明書リストの分析に失敗しました。"),
    # trust list writer; %s: the home directory, or the previous stamp and the home directory
    "trustlist_create_failed": Box(0x10, "GnuPG 2.2 の信頼できる証明書のリストの作成に失敗しました。"),
    "trustlist_not_found": Box(0x10, "GnuPG 2.2 の信頼できる証明書のリストが存在しません。"),
    "trustlist_read_failed": Box(0x10, "GnuPG 2.2 の信頼できる証明書のリストの読込に失敗しました。"),
    "first_registration": Box(0x41, "GnuPG 2.2 の信頼できる証明書のリスト (trustlist.txt) に\n"
                                    "Mozilla のルート証明書リスト (certdata.txt) の情報を登録します。\n"
                                    "\nGNUPGHOME=%s"),
    "re_registration": Box(0x44, "前回の登録日時は %s です。\n"
                                 "GnuPG 2.2 の信頼できる証明書のリスト (trustlist.txt) に\n"
                                 "Mozilla のルート証明書リストの情報を再登録しますか？\n"
                                 "\nGNUPGHOME=%s"),
    "trustlist_update_failed": Box(0x10, "GnuPG 2.2 の信頼できる証明書のリストの更新に失敗しました。"),
    "trustlist_updated": Box(0x40, "GnuPG 2.2 の信頼できる証明書のリストの更新に成功しました。"),
}
# The fresh download prompt has the stale one's text with the information icon.
QUELBRIN["download_prompt_fresh"] = Box(0x43, QUELBRIN["download_prompt_stale"].text)

# dornavet; the comment gives the box's number in the path registrar's message table.
# %s is the registered directory (R5, R8, R9) or the GnuPG directory (R13).
DORNAVET = {
    "registrar_opening": Box(0x40, "本ツールは Sylpheed で S/MIME 署名 (.p7s) を検証できるよう、\n"  # R3
                                   "GnuPG 2.2 導入先の情報をレジストリに登録します。\n"
                                   "(2.x の導入先の情報を 1.x のインストール情報に偽装する)"),
    "gnupg1_installed": Box(0x30, "GnuPG 1.x (classic version) がインストールされています。\n"  # R4
                                  "GnuPG 1.x が存在する場合、本ツールは使用できません。"),
    "confirm_delete_registration": Box(0x34, "GnuPG 2.2 導入先の情報をレジストリから削除しますか？\n"  # R5
                                             "\nInstall Directory=%s"),
    "delete_registration_failed": Box(0x10, "GnuPG 2.2 導入先の情報 (レジストリ) の削除に失敗しました。"),  # R6
    "delete_registration_succeeded": Box(0x40, "GnuPG 2.2 導入先の情報 (レジストリ) の削除に成功しました。"),  # R7
    "already_registered": Box(0x40, "GnuPG 2.2 導入先の情報 (レジストリ) は登録済みです。\n"  # R8
                                    "\nInstall Directory=%s"),
    "invalid_registration": Box(0x34, "既存の GnuPG 2.2 導入先の情報 (レジストリ) は無効です。\n"  # R9
                                      "この情報 (レジストリ) を削除しますか？\n"
                                      "\nInstall Directory=%s"),
    "deleted_continue": Box(0x44, "GnuPG 2.2 導入先の情報 (レジストリ) の削除に成功しました。\n"  # R10
                                  "このまま登録作業を続行しますか？"),
    "no_registration": Box(0x40, "GnuPG 2.2 導入先の情報 (レジストリ) は存在しません。\n"  # R11
                                 "(未登録または削除済み)"),
    "installation_not_found": Box(0x31, "GnuPG 2.2 のインストール先が見つかりません。\n"  # R12
                                        + CHOOSE_GPGSM_FOLDER),
    "confirm_registration": Box(0x41, "Sylpheed で S/MIME 署名 (.p7s) を検証できるよう、\n"  # R13
                                      "GnuPG 2.2 導入先の情報をレジストリに登録します。\n"
                                      "(2.x の導入先の情報を 1.x のインストール情報に偽装する)\n"
                                      "\nInstall Directory=%s"),
    "registration_failed": Box(0x10, "GnuPG 2.2 導入先の情報 (レジストリ) の登録に失敗しました。"),  # R14
    "registration_succeeded": Box(0x40, "GnuPG 2.2 導入先の情報 (レジストリ) の登録に成功しました。"),  # R15
    "confirm_delete_catalogue": Box(0x41, "文字化け防止の為、GnuPG 2.2 の日本語リソースを削除します。\n"  # L1
                                          "(..\\share\\locale\\ja\\ の削除)"),
    "catalogue_deleted": Box(0x40, "GnuPG 2.2 の日本語リソースの削除に成功しました。"),  # L2
    "catalogue_delete_failed": Box(0x10, "GnuPG 2.2 の日本語リソースの削除に失敗しました。"),  # L3
    "no_catalogue": Box(0x40, "GnuPG 2.2 の日本語リソースは存在しません。\n"  # L4
                              "(..\\share\\locale\\ja\\ は削除済み)"),
}

PROGRAM_BOXES = {"quelbrin": {**SHARED, **QUELBRIN}, "dornavet": {**SHARED, **DORNAVET}}

# quelbrin_testurl is quelbrin fetching from the bench's loopback server, whose host name its
# prompts show instead.
TEST_DOWNLOAD_HOST = "localhost"
TITLES["quelbrin_testurl"] = TITLES["quelbrin"]
PROGRAM_BOXES["quelbrin_testurl"] = {
    name: Box(box.flags, box.text.replace(DOWNLOAD_HOST, TEST_DOWNLOAD_HOST))
    for name, box in PROGRAM_BOXES["quelbrin"].items()}

ICONS = {0x00: "none", 0x10: "error", 0x20: "question", 0x30: "warning", 0x40: "information"}
BUTTONS = {0: ["ok"], 1: ["ok", "cancel"], 2: ["abort", "retry", "ignore"],
           3: ["yes", "no", "cancel"], 4: ["yes", "no"], 5: ["retry", "cancel"]}


def icon_of(flags):
    return ICONS[flags & 0xF0]


def buttons_of(flags):
    return BUTTONS[flags & 0x0F]
