// A stand-in for the emulator, gravlok.exe, for the Windows end-to-end test:
// it writes down the command line it was started with and the arguments
// Windows splits it into, each on a line of its own in UTF-8, in
// gravlok-started.txt beside itself, and ends.
#include <windows.h>

#include <shellapi.h>

#include <cstdio>
#include <string>

namespace {

std::string utf8(const wchar_t* text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? std::size_t(size - 1) : 0, '\0');
    if (size > 1)
        WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
    return out;
}

} // namespace

int wmain()
{
    wchar_t self[MAX_PATH * 4] = {};
    GetModuleFileNameW(nullptr, self, DWORD(std::size(self)));
    std::wstring out = self;
    out = out.substr(0, out.find_last_of(L'\\') + 1) + L"gravlok-started.txt";
    FILE* file = _wfopen(out.c_str(), L"ab");
    if (file == nullptr)
        return 2;
    const wchar_t* line = GetCommandLineW();
    std::fprintf(file, "line=%s\n", utf8(line).c_str());
    int count = 0;
    wchar_t** words = CommandLineToArgvW(line, &count);
    for (int i = 0; i < count; ++i)
        std::fprintf(file, "arg%d=%s\n", i, utf8(words[i]).c_str());
    std::fclose(file);
    LocalFree(words);
    return 0;
}
