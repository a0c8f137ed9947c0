#include "wizard/medium_messages.h"

#include "wizard/utf16.h"

const wchar_t kMediumProblemCaption[] = L"ERROR";

namespace {

const wchar_t kStartFromWholeMedium[] = L"\n\n请从完整的驱动光盘或驱动文件夹重新启动安装程序。";
const wchar_t kChooseAnother[] = L"\n\n请选择其它型号。";

std::wstring Quoted(const char16_t* text) { return std::wstring(L"“") + AsWide(text) + L"”"; }

}  // namespace

std::wstring CatalogueProblemText(engine::CatalogueProblem problem, const char16_t* cataloguePath) {
    std::wstring text;
    switch (problem) {
        case engine::CatalogueProblem::Missing: text = L"找不到打印机型号文件：\n"; break;
        case engine::CatalogueProblem::Unreadable: text = L"无法读取打印机型号文件：\n"; break;
        case engine::CatalogueProblem::NoModels:
            text = L"打印机型号文件中没有“KV系列”的打印机型号，文件可能已损坏：\n";
            break;
        case engine::CatalogueProblem::None: return text;
    }
    return text + AsWide(cataloguePath) + kStartFromWholeMedium;
}

std::wstring ModelProblemText(const engine::ModelCheck& check, const char16_t* model, const char16_t* cataloguePath) {
    switch (check.problem) {
        case engine::ModelProblem::NoPrinterName:
            return L"打印机型号文件中没有型号" + Quoted(model) + L"的打印机名称（PRINTER_NAME）：\n" +
                   AsWide(cataloguePath) + kChooseAnother;
        case engine::ModelProblem::NoPrintHead:
            return L"打印机型号文件中没有型号" + Quoted(model) + L"的打印头类型（PRINTER_TYPE 应为 24 或 9）：\n" +
                   AsWide(cataloguePath) + kChooseAnother;
        case engine::ModelProblem::DriverMissing:
            return L"找不到型号" + Quoted(model) + L"的驱动程序文件：\n" + AsWide(check.driverInf.c_str()) +
                   kChooseAnother;
        case engine::ModelProblem::None: break;
    }
    return {};
}
