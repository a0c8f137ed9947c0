#include "engine/messages/messages.h"

#include <cstddef>
#include <cstdint>

#include "platform/services.h"
#include "platform/system_version.h"

namespace engine {
namespace {

// One message: the text shown where the user's display language is Chinese, the one
// shown elsewhere (nullptr where it is the same text), and the log's English line of the
// same event (nullptr where the log writes none); englishAsLogged: the English text shown
// is the log's line.
struct MessageRow {
    MessageId id;
    const char16_t* shown;
    const char16_t* english;
    const char16_t* logged;
    bool englishAsLogged = false;
};

constexpr MessageRow kMessages[] = {
    {MessageId::SetupCaption, u"Korvel Printer Driver Setup",
     nullptr, nullptr},
    {MessageId::ErrorCaption, u"ERROR",
     nullptr, nullptr},
    {MessageId::OkCaption, u"OK",
     nullptr, nullptr},

    {MessageId::FolderTooLong,
     u"The path of the folder this setup program was started from is too long: it must be "
     u"at most 227 characters, including the drive and the final backslash.\n\n"
     u"Copy the setup files to a folder with a shorter path and start the program again.",
     nullptr,
     u"The path of the program's folder is too long (at most 227 characters)"},
    {MessageId::InvalidCommandLine, u"命令行无效：%2\n\n用 /? 启动本程序可查看全部命令行参数。",
     u"Invalid command line: %2\n\nStart this program with /? to see all its switches.",
     u"Invalid command line: %1"},
    {MessageId::AlreadyRunning, u"另一个打印机驱动安装程序正在运行。\n\n请等它结束后再启动本程序。",
     u"Another printer driver setup is running.\n\nWait until it has ended, then start this program again.",
     u"Another setup is running; nothing was changed"},
    {MessageId::CannotExclude,
     u"无法确定是否有另一个打印机驱动安装程序正在运行，所以本程序没有做任何更改。\n\n错误代码：%3",
     u"Whether another printer driver setup is running cannot be known, so this program changed nothing.\n\nError code: %3",
     u"Whether another setup runs cannot be known, so nothing was changed: %1: %2"},
    {MessageId::ProtectedPrintOn,
     u"此计算机已打开 Windows 受保护的打印模式，无法安装第三方打印机驱动程序。\n\n"
     u"请在“设置”的“打印机和扫描仪”中关闭此模式，或与系统管理员联系。",
     u"Windows protected print mode is on on this computer, and third-party printer drivers cannot be installed.\n\nTurn the mode off in Settings, under Printers & scanners, or ask your administrator.",
     u"Windows protected print mode is on, and Windows takes no third-party printer driver in it (it is "
     u"switched off in Settings, Printers & scanners, or by the administrators' policy)"},

    {MessageId::X64ProgramMissing,
     u"这是 64 位 Windows，需要用 64 位安装程序 tamrin64.exe 安装打印机驱动。\n\n"
     u"在本程序所在的文件夹中找不到它：\n%1\n\n"
     u"请把 tamrin64.exe 复制到这个文件夹，或从完整的驱动光盘启动安装程序。",
     u"This is 64-bit Windows: the printer driver is installed by the 64-bit setup program tamrin64.exe.\n\nIt is not in the folder of this program:\n%1\n\nCopy tamrin64.exe into this folder, or start the setup from the complete driver disc.",
     u"64-bit Windows needs the x64 program, which is missing: %1"},
    {MessageId::X64ProgramNotStarted,
     u"这是 64 位 Windows，需要用 64 位安装程序安装打印机驱动，但它无法启动：\n%1\n\n错误代码：%3",
     u"This is 64-bit Windows: the printer driver is installed by the 64-bit setup program, which cannot be started:\n%1\n\nError code: %3",
     u"64-bit Windows needs the x64 program, which cannot be started: %1: %2"},
    {MessageId::X64ProgramRefused,
     u"这是 64 位 Windows，需要用 64 位安装程序 tamrin64.exe 安装打印机驱动，"
     u"但它的数字签名没有通过检查，所以没有启动它：\n%1\n\n%3\n\n请从完整、未经改动的驱动光盘启动安装程序。",
     u"This is 64-bit Windows: the printer driver is installed by the 64-bit setup program tamrin64.exe, whose digital signature did not pass its check, so it was not started:\n%1\n\n%3\n\nStart the setup from the complete, unchanged driver disc.",
     u"64-bit Windows needs the x64 program, which was not started because %2: %1"},
    {MessageId::X64NotRunnable,
     u"此版本的 Windows 无法运行 64 位安装程序，因此无法安装打印机驱动程序。请在 Windows 11 上安装。",
     u"This version of Windows cannot run the 64-bit setup program, so the printer driver cannot be installed. Install it on Windows 11.",
     u"This ARM64 Windows runs no x64 program (Windows 11 does), so the x64 program cannot install the printer; "
     u"nothing was changed"},
    {MessageId::SignatureMissing, u"它没有数字签名。",
     u"It carries no digital signature.", u"it carries no Authenticode signature (%1)"},
    {MessageId::SignatureChanged, u"它在签名之后被改动过。",
     u"It was changed after it was signed.", u"it was changed after it was signed (%1)"},
    {MessageId::SignatureOtherSigner, u"它不是用本程序发布者的证书签名的。",
     u"It is not signed with this program's publisher's certificate.",
     u"it is signed with another certificate (SHA-256 %2, expected %3)"},
    {MessageId::SignatureSignerUnreadable, u"无法读取它的签名者证书。",
     u"Its signer's certificate cannot be read.", u"its signer's certificate cannot be read"},
    {MessageId::SignatureNotAccepted, u"它的数字签名不被接受：%1",
     u"Its digital signature is not accepted: %1", u"its signature is not accepted: %1"},

    {MessageId::CatalogueMissing,
     u"找不到打印机型号文件：\n%1\n\n请从完整的驱动光盘或驱动文件夹重新启动安装程序。",
     u"The printer model file cannot be found:\n%1\n\nStart the setup again from the complete driver disc or driver folder.",
     u"the catalogue %1 is missing"},
    {MessageId::CatalogueUnreadable,
     u"无法读取打印机型号文件：\n%1\n\n请从完整的驱动光盘或驱动文件夹重新启动安装程序。",
     u"The printer model file cannot be read:\n%1\n\nStart the setup again from the complete driver disc or driver folder.",
     u"the catalogue %1 cannot be read"},
    {MessageId::CatalogueWithoutModels,
     u"打印机型号文件中没有“%2”的打印机型号，文件可能已损坏：\n%1\n\n"
     u"请从完整的驱动光盘或驱动文件夹重新启动安装程序。",
     u"The printer model file lists no printer model in \"%2\"; the file may be damaged:\n%1\n\nStart the setup again from the complete driver disc or driver folder.",
     u"the catalogue %1 lists no model in [%2]"},
    {MessageId::ModelWithoutPrinterName,
     u"打印机型号文件中没有型号“%1”的打印机名称（PRINTER_NAME）：\n%2\n\n请选择其它型号。",
     u"The printer model file gives no printer name (PRINTER_NAME) for the model \"%1\":\n%2\n\nChoose another model.",
     u"the model \"%1\" has no PRINTER_NAME in %2"},
    {MessageId::PrinterNameUnusable,
     u"打印机型号文件中型号“%1”的打印机名称过长或含有无法使用的字符：\n%2\n\n请选择其它型号。",
     u"In the printer model file, the printer name of the model \"%1\" is too long or holds characters that cannot be used:\n%2\n\nChoose another model.",
     u"the printer name \"%3\" of the model \"%1\" in %2 cannot be given to the printer interface"},
    {MessageId::ModelWithoutPrintHead,
     u"打印机型号文件中没有型号“%1”的打印头类型（PRINTER_TYPE 应为 24 或 9）：\n%2\n\n请选择其它型号。",
     u"The printer model file gives no print head (PRINTER_TYPE, 24 or 9) for the model \"%1\":\n%2\n\nChoose another model.",
     u"the model \"%1\" (printer \"%3\") has no PRINTER_TYPE of 24 or 9 in %2"},
    {MessageId::DriverMissing, u"找不到型号“%1”的驱动程序文件：\n%4\n\n请选择其它型号。",
     u"The driver file of the model \"%1\" cannot be found:\n%4\n\nChoose another model.",
     u"the model \"%1\" needs the driver %4, which is not on the medium"},
    {MessageId::DriverUnreadable,
     u"无法读取型号“%1”的驱动程序文件：\n%4\n\n请从完整的驱动光盘或驱动文件夹重新启动安装程序。",
     u"The driver file of the model \"%1\" cannot be read:\n%4\n\nStart the setup again from the complete driver disc or driver folder.",
     u"the model \"%1\" needs the driver %4, which cannot be read"},
    {MessageId::DriverCatalogMissing,
     u"型号“%1”的驱动程序不完整，找不到它的签名文件（CatalogFile）：\n%5\n\n"
     u"请从完整的驱动光盘或驱动文件夹重新启动安装程序。",
     u"The driver of the model \"%1\" is incomplete: its signature file (CatalogFile) cannot be found:\n%5\n\nStart the setup again from the complete driver disc or driver folder.",
     u"the model \"%1\" needs the driver %4, whose package is incomplete: the catalog file it names "
     u"(CatalogFile), %5, is missing"},
    {MessageId::DriverWithoutArm64, u"驱动光盘中没有适用于 ARM64 版 Windows 的打印机驱动程序。",
     u"The driver disc holds no printer driver for the ARM64 version of Windows.",
     u"the model \"%1\" needs the driver %4, which has no models section for ARM64 Windows (NTarm64): "
     u"Windows installs nothing from it here"},

    // The shell's own texts for these errors; the log writes the text shown.
    {MessageId::StartFileNotFound, u"The specified file was not found.",
     nullptr, nullptr},
    {MessageId::StartPathNotFound, u"The specified path was not found.",
     nullptr, nullptr},
    {MessageId::StartAccessDenied, u"Access to the specified file is denied.",
     nullptr, nullptr},
    {MessageId::StartOutOfMemory, u"There is not enough memory to perform the specified action.",
     nullptr, nullptr},
    {MessageId::StartSharingViolation, u"A sharing violation occurred.",
     nullptr, nullptr},
    {MessageId::StartNoAssociation, u"There is no application associated with the given file name extension.",
     nullptr,
     nullptr},
    {MessageId::StartDdeFailed, u"The Dynamic Data Exchange (DDE) transaction failed.",
     nullptr, nullptr},
    {MessageId::StartLibraryMissing,
     u"One of the library files necessary to run the application can't be found.",
     nullptr, nullptr},
    {MessageId::StartCancelled,
     u"The function prompted the user for additional information, but the user canceled the request.",
     nullptr,
     nullptr},
    {MessageId::StartOtherError, u"Other error occurred.",
     nullptr, nullptr},

    {MessageId::WelcomeText,
     u"欢迎使用科维打印机驱动安装向导。\n\n"
     u"若已出现了“找到新硬件向导”窗口，请点击“找到新硬件向导”窗口中的“取消”按钮来中断它。\n\n"
     u"点击“下一步”按钮选择打印机驱动程序。",
     u"Welcome to the Korvel printer driver setup wizard.\n\nIf a \"Found New Hardware Wizard\" window has appeared, click its \"Cancel\" button to stop it.\n\nClick \"Next\" to choose the printer driver.",
     nullptr},
    {MessageId::UsbPortFound,
     u"软件自动检测到与打印机的USB连接\n端口：%1\n\n请按“下一步”确认驱动安装信息。\n\n",
     u"The printer was found on a USB connection\nPort: %1\n\nClick \"Next\" to confirm what will be installed.\n\n",
     nullptr},
    {MessageId::UsbPortNotFound,
     u"没有检测到与打印机连接的可用USB口，请手动选择端口，并按“下一步”确认驱动安装信息。",
     u"No USB port with a printer was found. Choose the port yourself, then click \"Next\" to confirm what will "
     u"be installed.",
     nullptr},
    {MessageId::ModelPrompt, u"请选择要安装的打印机驱动：",
     u"Choose the printer driver to install:", nullptr},
    {MessageId::UnlistedPrinterWarning,
     u"\n检测到您所使用的打印机驱动程序不在本安装程序内！\n单击确定选用其它驱动安装，单击取消退出安装程序！",
     u"\nThe driver of the printer you are using is not on this setup disc!\nClick OK to install another driver, or Cancel to leave the setup.",
     nullptr},
    {MessageId::UnlistedPrinterCaption, u"欢迎使用科维打印机",
     u"Welcome to Korvel printers", nullptr},
    {MessageId::FinishIntro, u"单击完成按扭后，本向导会按照前面几个步骤的设置，自动完成打印机驱动的安装。",
     u"When you click Finish, the wizard installs the printer driver as set in the steps before.", nullptr},
    {MessageId::FinishDriver, u"驱动：%1",
     u"Driver: %1", nullptr},
    {MessageId::FinishPort, u"端口：%1",
     u"Port: %1", nullptr},
    {MessageId::StatusLabel, u"状态：",
     u"Status:", nullptr},
    {MessageId::StatusRemoving, u"正在删除所要替换的驱动...",
     u"Removing the driver to be replaced...", nullptr},
    {MessageId::StatusInstalling, u"正在安装打印机驱动...",
     u"Installing the printer driver...", nullptr},
    {MessageId::StatusInstalled, u"打印机驱动已成功安装！",
     u"The printer driver is installed.", nullptr},
    {MessageId::StatusFailed, u"打印机驱动安装失败！",
     u"The printer driver was not installed!", u"The installation failed"},
    {MessageId::InstalledBox, u"打印机驱动安装成功！",
     u"The printer driver is installed.", u"Installed"},
    {MessageId::InstalledRestartBox, u"打印机驱动安装成功！\n\n请重新启动计算机后再使用打印机。",
     u"The printer driver is installed.\n\nRestart the computer before you use the printer.",
     u"Installed; Windows must restart before the printer can be used"},
    {MessageId::PackageNotStagedDetail, u"\n\nWindows 没有接受驱动程序包，原有的打印机没有被删除。\n%1",
     u"\n\nWindows did not take the driver package; the printers already installed were not removed.\n%1",
     u"Windows did not take the driver package"},

    // Refusals: the text shown in Chinese; in English, the log's line.
    {MessageId::RefusedUnexpected, u"多余的参数 %1", nullptr, u"unexpected argument %1", true},
    {MessageId::RefusedUnknown, u"未知的参数 %1", nullptr, u"unknown switch %1", true},
    {MessageId::RefusedTwice, u"参数重复：%1", nullptr, u"switch given twice: %1", true},
    {MessageId::RefusedNoValue, u"%1 缺少值", nullptr, u"%1 needs a value", true},
    {MessageId::RefusedEmptyValue, u"%1 的值为空", nullptr, u"%1 has an empty value", true},
    {MessageId::RefusedValueQuote, u"%1 的值中含有双引号", nullptr, u"%1 value holds a double quote", true},
    {MessageId::RefusedValueTooLong, u"%1 的值太长（%2 个字符，最多 %3 个）", nullptr,
     u"%1 value is too long (%2 characters; at most %3)", true},
    {MessageId::RefusedValueBackslash, u"%1 的值以反斜杠结尾", nullptr, u"%1 value ends in a backslash", true},
    {MessageId::RefusedNeeds, u"%1 需要与 %2 一起使用", nullptr, u"%1 needs %2", true},
    {MessageId::RefusedCombined, u"%1 不能与 %2 一起使用", nullptr, u"%1 cannot be combined with %2", true},

    // The usage text puts each on a line of its own.
    // No columns: the usage text is shown in a message box, whose font is proportional.
    {MessageId::UsageHeading,
     u"用法：\r\n"
     u"tamrin64.exe /quiet [/model ENTRY] [/port NAME] [/nodefault] [/testpage] [/whatif] [/log FILE]\r\n"
     u"tamrin64.exe /quiet /update /model ENTRY [/port NAME] [/nodefault] [/testpage] [/whatif] [/log FILE]\r\n"
     u"tamrin64.exe /quiet /uninstall /model ENTRY [/whatif] [/log FILE]\r\n"
     u"tamrin64.exe [/log FILE] 打开安装向导；tamrin64.exe /? 显示本说明。\r\n"
     u"tamrin32.exe 接受同样的参数。",
     u"Usage:\r\n"
     u"tamrin64.exe /quiet [/model ENTRY] [/port NAME] [/nodefault] [/testpage] [/whatif] [/log FILE]\r\n"
     u"tamrin64.exe /quiet /update /model ENTRY [/port NAME] [/nodefault] [/testpage] [/whatif] [/log FILE]\r\n"
     u"tamrin64.exe /quiet /uninstall /model ENTRY [/whatif] [/log FILE]\r\n"
     u"tamrin64.exe [/log FILE] opens the setup wizard; tamrin64.exe /? shows this text.\r\n"
     u"tamrin32.exe takes the same switches.",
     nullptr},
    {MessageId::UsageQuiet, u"安装或删除时不显示任何窗口或消息框。",
     u"install or remove without a window or message box.", nullptr},
    {MessageId::UsageUninstall, u"删除该型号的打印机和驱动程序（需要 /model）。",
     u"remove the model's printers and driver (needs /model).", nullptr},
    {MessageId::UsageUpdate, u"为该型号的打印机换上本光盘的驱动程序，打印机本身保持不变（需要 /model）。",
     u"give the printers of the model the driver of this medium, each kept as it is (needs /model).", nullptr},
    {MessageId::UsageModel, u"要安装或删除的型号，写法与打印机型号文件中的相同。",
     u"the model to install or remove, as the catalogue names it.", nullptr},
    {MessageId::UsagePort, u"打印机端口（默认：所连接打印机的 USB 端口）。",
     u"the printer port (default: the attached printer's USB port).", nullptr},
    {MessageId::UsageNoDefault, u"不把打印机设为默认打印机。", u"do not make the printer the default printer.",
     nullptr},
    {MessageId::UsageTestPage, u"安装后打印测试页。", u"print a test page after the installation.", nullptr},
    {MessageId::UsageWhatIf, u"只把将要进行的操作写入日志，不做任何更改。",
     u"write what would be done to the log; change nothing.", nullptr},
    {MessageId::UsageLog, u"把日志追加到 FILE（使用 /quiet 时默认为 %TEMP%\\tamrin-setup.log）。",
     u"append the log to FILE (default with /quiet: %TEMP%\\tamrin-setup.log).", nullptr},
    {MessageId::UsageHelp, u"显示本说明。", u"show this text.", nullptr},
    {MessageId::UsageSwitchForm, u"参数可以用 / 或 - 开头，不区分大小写。",
     u"Switches may start with / or - and are not case-sensitive.", nullptr},
    {MessageId::UsageExitCodes,
     u"退出代码：0 成功；3010 成功，使用打印机前请重新启动 Windows；1602 用户取消；"
     u"1603 安装或删除失败，请查看日志；1618 另一个安装程序正在运行；1639 命令行无效。",
     u"Exit codes: 0 success; 3010 success, restart Windows before using the printer; "
     u"1602 cancelled by the user; 1603 the installation or removal failed, see the log; "
     u"1618 another setup is running; 1639 invalid command line.",
     nullptr},
};

constexpr std::size_t kMessageCount = static_cast<std::size_t>(MessageId::Count);

constexpr bool EveryRowInItsPlace() {
    for (std::size_t i = 0; i < kMessageCount; ++i) {
        if (static_cast<std::size_t>(kMessages[i].id) != i) return false;
    }
    return true;
}
static_assert(sizeof kMessages / sizeof kMessages[0] == kMessageCount, "one row for each message");
static_assert(EveryRowInItsPlace(), "the rows in the order of MessageId");

constexpr std::size_t LengthOf(const char16_t* text) {
    std::size_t length = 0;
    while (text[length]) ++length;
    return length;
}

// The texts of the table packed into one array when the program is built, each ended by
// a zero, and found by their places in it: the program holds the texts and a place of two
// bytes for each, and no pointer to any (four or eight bytes, and a relocation, each).
constexpr std::size_t PackedLength() {
    std::size_t length = 1;  // place 0: the empty text of a row without a log line
    for (const MessageRow& row : kMessages) {
        length += LengthOf(row.shown) + 1;
        if (row.english) length += LengthOf(row.english) + 1;
        if (row.logged) length += LengthOf(row.logged) + 1;
    }
    return length;
}

struct PackedTable {
    char16_t texts[PackedLength()];
    std::uint16_t shown[kMessageCount];
    std::uint16_t english[kMessageCount];
    std::uint16_t logged[kMessageCount];
};

constexpr PackedTable Packed() {
    PackedTable table{};
    std::size_t end = 1;
    auto place = [&](const char16_t* text) {
        if (!text) return std::uint16_t{0};
        const auto start = static_cast<std::uint16_t>(end);
        for (std::size_t i = 0; text[i]; ++i) table.texts[end++] = text[i];
        table.texts[end++] = 0;
        return start;
    };
    for (std::size_t i = 0; i < kMessageCount; ++i) {
        table.shown[i] = place(kMessages[i].shown);
        const MessageRow& row = kMessages[i];
        table.logged[i] = place(row.logged);
        table.english[i] = row.englishAsLogged ? table.logged[i] : row.english ? place(row.english) : table.shown[i];
    }
    return table;
}

static_assert(PackedLength() <= UINT16_MAX, "every place fits in 16 bits");
constexpr PackedTable kPacked = Packed();

// The pattern with %1 ... %9 replaced by the values (by nothing where no value is given);
// a value is not read for placeholders again.
std::u16string Filled(const char16_t* pattern, const std::vector<std::u16string>& values) {
    std::u16string text;
    for (const char16_t* p = pattern; *p; ++p) {
        if (p[0] == u'%' && p[1] >= u'1' && p[1] <= u'9') {
            const std::size_t index = static_cast<std::size_t>(p[1] - u'1');
            if (index < values.size()) text += values[index];
            ++p;
        } else {
            text += *p;
        }
    }
    return text;
}

// The message's text in this column; empty for an id outside the table.
const char16_t* Pattern(MessageId id, const std::uint16_t (&column)[kMessageCount]) {
    const std::size_t index = static_cast<std::size_t>(id);
    return kPacked.texts + (index < kMessageCount ? column[index] : 0);
}

}  // namespace

Language LanguageOfUi(std::uint16_t uiLanguage) {
    constexpr std::uint16_t kChinese = 0x04;  // LANG_CHINESE, every region and script
    return (uiLanguage & 0x3FF) == kChinese ? Language::Chinese : Language::English;
}

Language ShownLanguage() {
    return LanguageOfUi(platform::Get<platform::SystemVersion>().GetUserDefaultUILanguage());
}

std::u16string ShownText(const Message& message, Language language) {
    return Filled(Pattern(message.id, language == Language::Chinese ? kPacked.shown : kPacked.english),
                  message.values);
}

std::u16string ShownText(const Message& message) { return ShownText(message, ShownLanguage()); }

std::u16string LogText(const Message& message) {
    return Filled(Pattern(message.id, kPacked.logged), message.values);
}

}  // namespace engine
