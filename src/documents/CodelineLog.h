// The codeline log "CodelineVarn.txt": one line per non-empty codeline text.
#pragma once

#include <cstdio>
#include <string>

class CodelineLog {
public:
    CodelineLog() = default;
    ~CodelineLog() { Close(); }
    CodelineLog(const CodelineLog&) = delete;
    CodelineLog& operator=(const CodelineLog&) = delete;

    // Emptied when reset is set, else appended to. A log that cannot be
    // opened is simply not written.
    void Open(const std::string& path, bool reset)
    {
        Close();
        File = std::fopen(path.c_str(), reset ? "w+" : "a+");
    }
    bool IsOpen() const { return File != nullptr; }
    void WriteLine(const char* text)
    {
        if (File && text && text[0] != 0)
            std::fprintf(File, "%s\n", text);
    }
    void Close()
    {
        if (File)
            std::fclose(File);
        File = nullptr;
    }

private:
    std::FILE* File = nullptr;
};
