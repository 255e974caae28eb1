; The installer's own texts, in English and Japanese.

LangString DirectoryText ${LANG_ENGLISH} "Choose the folder Winamp is installed in (the one that holds winamp.exe). gen_tavrik.dll goes into its Plugins folder; your rules and templates there are kept."
LangString DirectoryText ${LANG_JAPANESE} "Winamp がインストールされているフォルダー (winamp.exe のあるフォルダー) を選んでください。gen_tavrik.dll はその Plugins フォルダーに入ります。そこにあるルールとテンプレートはそのまま残ります。"

LangString NoPlayer ${LANG_ENGLISH} "This folder does not hold Winamp (there is no winamp.exe in it):$\r$\n$INSTDIR$\r$\n$\r$\nPlease choose the folder Winamp is installed in."
LangString NoPlayer ${LANG_JAPANESE} "このフォルダーには Winamp がありません (winamp.exe が見つかりません):$\r$\n$INSTDIR$\r$\n$\r$\nWinamp がインストールされているフォルダーを選んでください。"

LangString ClosePlayer ${LANG_ENGLISH} "Winamp is running. Please close Winamp, then press OK.$\r$\nCancel ends the setup without changing anything."
LangString ClosePlayer ${LANG_JAPANESE} "Winamp が起動しています。Winamp を終了してから OK を押してください。$\r$\nキャンセルを押すと、何も変更せずにセットアップを終了します。"

LangString WriteFailed ${LANG_ENGLISH} "gen_tavrik could not be installed: a file could not be written in$\r$\n$INSTDIR\Plugins$\r$\n(the folder may be read-only, or the disk full).$\r$\nThe plug-in that was installed before, if any, is unchanged."
LangString WriteFailed ${LANG_JAPANESE} "gen_tavrik をインストールできませんでした。次のフォルダーにファイルを書き込めません:$\r$\n$INSTDIR\Plugins$\r$\n(読み取り専用のフォルダーか、ディスクがいっぱいです)。$\r$\nすでにインストールされていたプラグインは変更されていません。"

LangString Installed ${LANG_ENGLISH} "gen_tavrik ${VERSION} is installed in $INSTDIR\Plugins."
LangString Installed ${LANG_JAPANESE} "gen_tavrik ${VERSION} を $INSTDIR\Plugins にインストールしました。"

LangString RemoveFailed ${LANG_ENGLISH} "gen_tavrik.dll could not be removed from$\r$\n$INSTDIR$\r$\nNothing was changed."
LangString RemoveFailed ${LANG_JAPANESE} "次のフォルダーから gen_tavrik.dll を削除できませんでした:$\r$\n$INSTDIR$\r$\n何も変更されていません。"
