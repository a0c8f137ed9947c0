#include "engine/medium/medium_messages.h"

namespace engine {

const char16_t kMediumProblemCaption[] = u"ERROR";

namespace {

const char16_t kStartFromWholeMedium[] = u"\n\n请从完整的驱动光盘或驱动文件夹重新启动安装程序。";
const char16_t kChooseAnother[] = u"\n\n请选择其它型号。";

// A name in a box, in the Chinese quotation marks the texts use.
std::u16string CornerQuoted(std::u16string_view text) { return u"“" + std::u16string(text) + u"”"; }

}  // namespace

std::u16string CatalogueProblemText(CatalogueProblem problem, std::u16string_view cataloguePath) {
    std::u16string text;
    switch (problem) {
        case CatalogueProblem::Missing: text = u"找不到打印机型号文件：\n"; break;
        case CatalogueProblem::Unreadable: text = u"无法读取打印机型号文件：\n"; break;
        case CatalogueProblem::NoModels:
            text = u"打印机型号文件中没有“KV系列”的打印机型号，文件可能已损坏：\n";
            break;
        case CatalogueProblem::None: return text;
    }
    return text + std::u16string(cataloguePath) + kStartFromWholeMedium;
}

std::u16string ModelProblemText(const Preparation& prepared, std::u16string_view model) {
    const std::u16string& catalogue = prepared.request.catalogueFile;
    switch (prepared.problem) {
        case ModelProblem::NoPrinterName:
            return u"打印机型号文件中没有型号" + CornerQuoted(model) + u"的打印机名称（PRINTER_NAME）：\n" + catalogue +
                   kChooseAnother;
        case ModelProblem::NameUnusable:
            return u"打印机型号文件中型号" + CornerQuoted(model) + u"的打印机名称过长或含有无法使用的字符：\n" +
                   catalogue + kChooseAnother;
        case ModelProblem::NoPrintHead:
            return u"打印机型号文件中没有型号" + CornerQuoted(model) + u"的打印头类型（PRINTER_TYPE 应为 24 或 9）：\n" +
                   catalogue + kChooseAnother;
        case ModelProblem::DriverMissing:
            return u"找不到型号" + CornerQuoted(model) + u"的驱动程序文件：\n" + prepared.request.driverInf + kChooseAnother;
        case ModelProblem::PackageIncomplete:
            if (prepared.request.driverCatalog.empty()) {
                return u"无法读取型号" + CornerQuoted(model) + u"的驱动程序文件：\n" +
                       prepared.request.driverInf + kStartFromWholeMedium;
            }
            return u"型号" + CornerQuoted(model) +
                   u"的驱动程序不完整，找不到它的签名文件（CatalogFile）：\n" +
                   prepared.request.driverCatalog + kStartFromWholeMedium;
        case ModelProblem::None: break;
    }
    return {};
}

}  // namespace engine
