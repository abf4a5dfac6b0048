#include "RecordingVnApi.h"

#include <cstdio>

std::string RecordingVnApi::Fmt(const char* text) { return text ? "\"" + std::string(text) + "\"" : "null"; }
std::string RecordingVnApi::Fmt(char c) { return std::string("'") + c + "'"; }
std::string RecordingVnApi::Fmt(float v)
{
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%g", static_cast<double>(v));
    return buffer;
}

int32_t RecordingVnApi::Handle(const char* name, std::vector<std::string> args, std::vector<void*> pointers)
{
    History.push_back({name, std::move(args), std::move(pointers)});
    ApiCall& call = History.back();
    const auto hook = Hooks.find(name);
    if (hook != Hooks.end()) {
        ApiCall copy = call; // the hook may call back into the library
        hook->second(copy);
    }
    auto& queue = Queued[name];
    if (!queue.empty()) {
        const int32_t reply = queue.front();
        queue.pop_front();
        return reply;
    }
    const auto it = Replies.find(name);
    return it == Replies.end() ? 0 : it->second;
}

std::vector<std::string> RecordingVnApi::Names() const
{
    std::vector<std::string> names;
    for (const auto& c : History)
        names.push_back(c.Name);
    return names;
}

std::vector<ApiCall> RecordingVnApi::CallsOf(const std::string& name) const
{
    std::vector<ApiCall> calls;
    for (const auto& c : History)
        if (c.Name == name)
            calls.push_back(c);
    return calls;
}

std::vector<std::string> RecordingVnApi::Trace() const
{
    std::vector<std::string> trace;
    for (const auto& c : History) {
        std::string line = c.Name + "(";
        for (size_t i = 0; i < c.Args.size(); ++i)
            line += (i ? ", " : "") + c.Args[i];
        trace.push_back(line + ")");
    }
    return trace;
}
