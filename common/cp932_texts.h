// The module's own texts as code page 932 (Shift-JIS) bytes: the platform's
// ANSI functions read them in the system code page, so they show as Japanese
// where that is 932. Byte escapes keep them exact whatever the compiler's
// execution character set; the comment above each gives the text.
#pragma once

namespace tavrik::texts {

// Title of every error message box. "ERROR: gen_tavrik.dll"
inline constexpr char kErrorTitle[] = "ERROR: gen_tavrik.dll";

// The rule file cannot be opened at init. "cfg ファイルが見つかりません"
inline constexpr char kRuleFileMissingMessage[] = "cfg \x83t\x83@\x83" "C\x83\x8b\x82\xaa\x8c\xa9\x82\xc2\x82\xa9\x82\xe8\x82\xdc\x82\xb9\x82\xf1";

// The rule file cannot be written at quit. "cfg ファイルのオープンに失敗しました。"
inline constexpr char kRuleFileWriteFailedMessage[] = "cfg \x83t\x83@\x83" "C\x83\x8b\x82\xcc\x83I\x81[\x83v\x83\x93\x82\xc9\x8e\xb8\x94s\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81" "B";

// The tag library cannot be loaded (the line feed belongs to the text). "mp3infpをロードできませんでした\n"
inline constexpr char kTagLibraryMissingMessage[] = "mp3infp\x82\xf0\x83\x8d\x81[\x83h\x82\xc5\x82\xab\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\n";

// The tag library is older than 2.27. "mp3infp v2.27以上が必要です"
inline constexpr char kTagLibraryTooOldMessage[] = "mp3infp v2.27\x88\xc8\x8f\xe3\x82\xaa\x95K\x97v\x82\xc5\x82\xb7";

// The tag library lacks one of the entries the module calls. "mp3infp.dllに必要な関数がありません"
inline constexpr char kTagLibraryEntryMissingMessage[] = "mp3infp.dll\x82\xc9\x95K\x97v\x82\xc8\x8a\xd6\x90\x94\x82\xaa\x82\xa0\x82\xe8\x82\xdc\x82\xb9\x82\xf1";

// Window name of the encoder's docked Script panel holder. "スクリプト"
inline constexpr char kScriptPanelName[] = "\x83X\x83N\x83\x8a\x83v\x83g";

// Filter of the template file chooser. "ベースHTMLファイル(*.html)|*.html||"
inline constexpr char kTemplateFilter[] = "\x83x\x81[\x83XHTML\x83t\x83@\x83" "C\x83\x8b(*.html)|*.html||";

// Rule list column 0 header. "条件型"
inline constexpr char kColumnConditionType[] = "\x8f\xf0\x8c\x8f\x8c^";

// Rule list column 1 header. "条件値"
inline constexpr char kColumnConditionValue[] = "\x8f\xf0\x8c\x8f\x92l";

// Rule list column 2 header. "ベースHTMLファイル"
inline constexpr char kColumnTemplatePath[] = "\x83x\x81[\x83XHTML\x83t\x83@\x83" "C\x83\x8b";

// The settings file cannot be read, or is garbled, at init. "ini ファイルを読み込めませんでした。キャプションファイルは書き出しません。"
inline constexpr char kSettingsFileUnreadableMessage[] = "ini \x83t\x83@\x83" "C\x83\x8b\x82\xf0\x93\xc7\x82\xdd\x8d\x9e\x82\xdf\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81" "B\x83L\x83\x83\x83v\x83V\x83\x87\x83\x93\x83t\x83@\x83" "C\x83\x8b\x82\xcd\x8f\x91\x82\xab\x8fo\x82\xb5\x82\xdc\x82\xb9\x82\xf1\x81" "B";

// The settings file cannot be written at quit. "ini ファイルのオープンに失敗しました。"
inline constexpr char kSettingsFileWriteFailedMessage[] = "ini \x83t\x83@\x83" "C\x83\x8b\x82\xcc\x83I\x81[\x83v\x83\x93\x82\xc9\x8e\xb8\x94s\x82\xb5\x82\xdc\x82\xb5\x82\xbd\x81" "B";

// Filter of the caption file chooser. "テキストファイル(*.txt)|*.txt|HTMLファイル(*.html)|*.html|すべてのファイル(*.*)|*.*||"
inline constexpr char kCaptionFileFilter[] = "\x83" "e\x83L\x83X\x83g\x83t\x83@\x83" "C\x83\x8b(*.txt)|*.txt|HTML\x83t\x83@\x83" "C\x83\x8b(*.html)|*.html|\x82\xb7\x82\xd7\x82\xc4\x82\xcc\x83t\x83@\x83" "C\x83\x8b(*.*)|*.*||";

// Filter of the idle template chooser. "テンプレート(*.html;*.txt)|*.html;*.txt|すべてのファイル(*.*)|*.*||"
inline constexpr char kIdleTemplateFilter[] = "\x83" "e\x83\x93\x83v\x83\x8c\x81[\x83g(*.html;*.txt)|*.html;*.txt|\x82\xb7\x82\xd7\x82\xc4\x82\xcc\x83t\x83@\x83" "C\x83\x8b(*.*)|*.*||";

// Filter of the overlay's stylesheet chooser. "スタイルシート(*.css)|*.css|すべてのファイル(*.*)|*.*||"
inline constexpr char kStylesheetFilter[] = "\x83X\x83^\x83" "C\x83\x8b\x83V\x81[\x83g(*.css)|*.css|\x82\xb7\x82\xd7\x82\xc4\x82\xcc\x83t\x83@\x83" "C\x83\x8b(*.*)|*.*||";

// Filter of the plain-text template choosers. "テキストのテンプレート(*.txt)|*.txt|すべてのファイル(*.*)|*.*||"
inline constexpr char kPlainTemplateFilter[] = "\x83" "e\x83L\x83X\x83g\x82\xcc\x83" "e\x83\x93\x83v\x83\x8c\x81[\x83g(*.txt)|*.txt|\x82\xb7\x82\xd7\x82\xc4\x82\xcc\x83t\x83@\x83" "C\x83\x8b(*.*)|*.*||";

// Filter of the cover pictures' choosers. "画像ファイル(*.png;*.jpg;*.jpeg)|*.png;*.jpg;*.jpeg|すべてのファイル(*.*)|*.*||"
inline constexpr char kPictureFilter[] = "\x89\xe6\x91\x9c\x83t\x83@\x83" "C\x83\x8b(*.png;*.jpg;*.jpeg)|*.png;*.jpg;*.jpeg|\x82\xb7\x82\xd7\x82\xc4\x82\xcc\x83t\x83@\x83" "C\x83\x8b(*.*)|*.*||";

}  // namespace tavrik::texts
