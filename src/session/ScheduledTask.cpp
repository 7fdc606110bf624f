#include "session/ScheduledTask.h"

#define SECURITY_WIN32
#include <security.h>
#include <taskschd.h>

#include <cstdio>

#include "win/ComPtr.h"
#include "win/SystemError.h"
#include "win/Text.h"

namespace {

constexpr const char* kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                     "Thursday", "Friday", "Saturday"};
constexpr const char* kMonthNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                       "July",    "August",   "September", "October", "November", "December"};

// Text and attribute values alike: the five characters XML gives a meaning to.
std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            default:
                out += c;
        }
    }
    return out;
}

// The entities of an element's text read back: the five named ones and character references.
std::string Unescaped(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        const size_t end = text[i] == '&' ? text.find(';', i) : std::string::npos;
        if (end == std::string::npos) {
            out += text[i];
            continue;
        }
        const std::string name = text.substr(i + 1, end - i - 1);
        if (name == "amp")
            out += '&';
        else if (name == "lt")
            out += '<';
        else if (name == "gt")
            out += '>';
        else if (name == "quot")
            out += '"';
        else if (name == "apos")
            out += '\'';
        else if (name.size() > 1 && name[0] == '#') {
            const bool hex = name[1] == 'x' || name[1] == 'X';
            const unsigned long code = std::strtoul(name.c_str() + (hex ? 2 : 1), nullptr, hex ? 16 : 10);
            std::wstring wide;
            if (code >= 0x10000) {
                wide += static_cast<wchar_t>(0xD800 + ((code - 0x10000) >> 10));
                wide += static_cast<wchar_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
            } else {
                wide += static_cast<wchar_t>(code);
            }
            out += win::Narrow(wide);
        } else {
            out += text.substr(i, end - i + 1);
        }
        i = end;
    }
    return out;
}

// The text of the first element named tag between from and to; nothing when there is none. An
// empty element ("<tag/>") has the empty text.
std::optional<std::string> ElementText(const std::string& xml, const std::string& tag, size_t from,
                                       size_t to) {
    for (size_t at = xml.find("<" + tag, from); at != std::string::npos && at < to;
         at = xml.find("<" + tag, at + 1)) {
        const size_t nameEnd = at + 1 + tag.size();
        if (nameEnd >= xml.size())
            return std::nullopt;
        const char next = xml[nameEnd];
        if (next == '/')
            return std::string();
        if (next != '>' && next != ' ')
            continue;  // a longer name that starts alike
        const size_t open = xml.find('>', nameEnd);
        if (open == std::string::npos)
            return std::nullopt;
        if (xml[open - 1] == '/')
            return std::string();
        const size_t close = xml.find("</" + tag + ">", open);
        if (close == std::string::npos || close > to)
            return std::nullopt;
        return Unescaped(xml.substr(open + 1, close - open - 1));
    }
    return std::nullopt;
}

std::string TwoDigits(int value) {
    char text[8];
    std::snprintf(text, sizeof(text), "%02d", value);
    return text;
}

std::string TriggerXml(const TaskXmlInputs& inputs) {
    const ScheduleValues& s = inputs.schedule;
    if (s.kind == ScheduleKind::AtSignIn)
        return "    <LogonTrigger>\n      <UserId>" + Escaped(inputs.userId) +
               "</UserId>\n    </LogonTrigger>\n";
    std::string xml = "    <CalendarTrigger>\n      <StartBoundary>" + inputs.startDate + "T" +
                      TwoDigits(s.hour) + ":" + TwoDigits(s.minute) + ":00</StartBoundary>\n";
    switch (s.kind) {
        case ScheduleKind::Daily:
            xml += "      <ScheduleByDay>\n        <DaysInterval>1</DaysInterval>\n      </ScheduleByDay>\n";
            break;
        case ScheduleKind::Weekly:
            xml += "      <ScheduleByWeek>\n        <DaysOfWeek>\n          <" +
                   std::string(kDayNames[s.dayOfWeek]) +
                   " />\n        </DaysOfWeek>\n        <WeeksInterval>1</WeeksInterval>\n      "
                   "</ScheduleByWeek>\n";
            break;
        case ScheduleKind::Monthly:
            xml += "      <ScheduleByMonth>\n        <DaysOfMonth>\n          <Day>" +
                   std::to_string(s.dayOfMonth) + "</Day>\n        </DaysOfMonth>\n        <Months>\n";
            for (const char* month : kMonthNames)
                xml += "          <" + std::string(month) + " />\n";
            xml += "        </Months>\n      </ScheduleByMonth>\n";
            break;
        case ScheduleKind::AtSignIn:
            break;
    }
    return xml + "    </CalendarTrigger>\n";
}

// One argument as the C runtime splits a command line: in quotes, with the backslashes before a
// quote (here only the closing one) doubled.
std::string Quoted(const std::string& argument) {
    std::string out = "\"";
    size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
        } else {
            if (c == '"')
                out.append(backslashes + 1, '\\');
            backslashes = 0;
        }
        out += c;
    }
    out.append(backslashes, '\\');
    return out + "\"";
}

TaskChange Failed(HRESULT code) {
    TaskChange change;
    change.code = code;
    const DWORD error =
        HRESULT_FACILITY(code) == FACILITY_WIN32 ? HRESULT_CODE(code) : static_cast<DWORD>(code);
    char number[16];
    std::snprintf(number, sizeof(number), "0x%08lX", static_cast<unsigned long>(code));
    const std::string text = win::SystemErrorText(error);
    change.error = text.empty() ? std::string(number) : text + " (" + number + ")";
    return change;
}

VARIANT Empty() {
    VARIANT value;
    ::VariantInit(&value);
    return value;
}

win::ComPtr<ITaskService> Connect(HRESULT* code) {
    win::ComPtr<ITaskService> service;
    *code = ::CoCreateInstance(CLSID_TaskScheduler, nullptr, CLSCTX_INPROC_SERVER, IID_ITaskService,
                               service.put_void());
    if (FAILED(*code))
        return {};
    *code = service->Connect(Empty(), Empty(), Empty(), Empty());
    if (FAILED(*code))
        return {};
    return service;
}

win::ComPtr<ITaskFolder> Folder(ITaskService* service, const char* path) {
    win::ComPtr<ITaskFolder> folder;
    service->GetFolder(win::Bstr(path).get(), folder.put());
    return folder;
}

std::string TaskName() {
    return ScheduledTaskName(ThisUserId());
}

}  // namespace

std::string ScheduledTaskArguments(const std::vector<std::string>& folders) {
    std::string arguments = "/auto /scheduled";
    for (const std::string& folder : folders)
        arguments.append(1, ' ').append(Quoted(folder));
    return arguments;
}

std::string ScheduledTaskXml(const TaskXmlInputs& inputs) {
    return "<?xml version=\"1.0\" encoding=\"UTF-16\"?>\n"
           "<Task version=\"1.2\" xmlns=\"http://schemas.microsoft.com/windows/2004/02/mit/task\">\n"
           "  <RegistrationInfo>\n"
           "    <Author>" +
           Escaped(inputs.userId) + "</Author>\n    <Description>" + Escaped(inputs.description) +
           "</Description>\n"
           "  </RegistrationInfo>\n"
           "  <Triggers>\n" +
           TriggerXml(inputs) +
           "  </Triggers>\n"
           "  <Principals>\n"
           "    <Principal id=\"Author\">\n"
           "      <UserId>" +
           Escaped(inputs.userId) +
           "</UserId>\n"
           "      <LogonType>InteractiveToken</LogonType>\n"
           "      <RunLevel>LeastPrivilege</RunLevel>\n"
           "    </Principal>\n"
           "  </Principals>\n"
           "  <Settings>\n"
           "    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>\n"
           "    <DisallowStartIfOnBatteries>true</DisallowStartIfOnBatteries>\n"
           "    <StopIfGoingOnBatteries>true</StopIfGoingOnBatteries>\n"
           "    <StartWhenAvailable>true</StartWhenAvailable>\n"
           "    <ExecutionTimeLimit>PT4H</ExecutionTimeLimit>\n"
           "    <Enabled>true</Enabled>\n"
           "  </Settings>\n"
           "  <Actions Context=\"Author\">\n"
           "    <Exec>\n"
           "      <Command>" +
           Escaped(inputs.programPath) + "</Command>\n      <Arguments>" +
           Escaped(ScheduledTaskArguments(inputs.schedule.folders)) +
           "</Arguments>\n"
           "    </Exec>\n"
           "  </Actions>\n"
           "</Task>\n";
}

std::optional<TaskAction> ActionOfTaskXml(const std::string& xml) {
    const size_t exec = xml.find("<Exec>");
    if (exec == std::string::npos)
        return std::nullopt;
    const size_t end = xml.find("</Exec>", exec);
    if (end == std::string::npos)
        return std::nullopt;
    std::optional<std::string> command = ElementText(xml, "Command", exec, end);
    if (!command)
        return std::nullopt;
    return TaskAction{*command, ElementText(xml, "Arguments", exec, end).value_or("")};
}

std::string ThisUserId() {
    wchar_t name[512];
    ULONG size = std::size(name);
    if (::GetUserNameExW(NameSamCompatible, name, &size))
        return win::Narrow(name);
    wchar_t computer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD computerSize = std::size(computer);
    DWORD userSize = std::size(name);
    if (!::GetComputerNameW(computer, &computerSize) || !::GetUserNameW(name, &userSize))
        return {};
    return win::Narrow(computer) + "\\" + win::Narrow(name);
}

std::string ScheduledTaskName(const std::string& userId) {
    // A task's name holds no backslash: the user's computer and name are joined by a blank.
    std::string name = userId;
    for (char& c : name)
        if (c == '\\' || c == '/')
            c = ' ';
    return "Automatic cleaning (" + name + ")";
}

TaskState ReadScheduledTask(std::string* error) {
    TaskState state;
    HRESULT code = S_OK;
    win::ComPtr<ITaskService> service = Connect(&code);
    if (!service) {
        if (error)
            *error = Failed(code).error;
        return state;
    }
    win::ComPtr<ITaskFolder> folder = Folder(service.get(), kTaskFolder);
    win::ComPtr<IRegisteredTask> task;
    if (!folder || FAILED(folder->GetTask(win::Bstr(TaskName()).get(), task.put())) || !task)
        return state;
    state.exists = true;
    VARIANT_BOOL enabled = VARIANT_FALSE;
    state.enabled = SUCCEEDED(task->get_Enabled(&enabled)) && enabled != VARIANT_FALSE;
    win::Bstr path, xml;
    task->get_Path(path.put());
    state.path = path.ToText();
    if (SUCCEEDED(task->get_Xml(xml.put())))
        state.xml = xml.ToText();
    if (std::optional<TaskAction> action = ActionOfTaskXml(state.xml))
        state.action = *action;
    DATE next = 0;
    SYSTEMTIME time{};
    if (SUCCEEDED(task->get_NextRunTime(&next)) && next != 0 && ::VariantTimeToSystemTime(next, &time))
        state.nextRun = time;
    return state;
}

TaskChange RegisterScheduledTask(const std::string& xml) {
    HRESULT code = S_OK;
    win::ComPtr<ITaskService> service = Connect(&code);
    if (!service)
        return Failed(code);
    win::ComPtr<ITaskFolder> folder = Folder(service.get(), kTaskFolder);
    win::ComPtr<ITaskFolder> root;
    bool folderMade = false;
    if (!folder) {
        root = Folder(service.get(), "\\");
        if (!root)
            return Failed(HRESULT_FROM_WIN32(ERROR_PATH_NOT_FOUND));
        code = root->CreateFolder(win::Bstr(kTaskFolder + 1).get(), Empty(), folder.put());
        if (FAILED(code) || !folder)
            return Failed(FAILED(code) ? code : E_FAIL);
        folderMade = true;
    }
    win::ComPtr<IRegisteredTask> task;
    code = folder->RegisterTask(win::Bstr(TaskName()).get(), win::Bstr(xml).get(), TASK_CREATE_OR_UPDATE,
                                Empty(), Empty(), TASK_LOGON_INTERACTIVE_TOKEN, Empty(), task.put());
    if (FAILED(code)) {
        // Nothing half made: a folder made for this task goes again.
        if (folderMade)
            root->DeleteFolder(win::Bstr(kTaskFolder + 1).get(), 0);
        return Failed(code);
    }
    return TaskChange{true, S_OK, {}};
}

TaskChange RemoveScheduledTask() {
    HRESULT code = S_OK;
    win::ComPtr<ITaskService> service = Connect(&code);
    if (!service)
        return Failed(code);
    win::ComPtr<ITaskFolder> folder = Folder(service.get(), kTaskFolder);
    if (!folder)
        return TaskChange{true, S_OK, {}};
    win::ComPtr<IRegisteredTask> task;
    if (SUCCEEDED(folder->GetTask(win::Bstr(TaskName()).get(), task.put())) && task) {
        code = folder->DeleteTask(win::Bstr(TaskName()).get(), 0);
        if (FAILED(code))
            return Failed(code);
    }
    // The folder goes with the last user's task: the Task Scheduler refuses to remove a folder that
    // still holds another user's task, and that refusal is no failure of ours.
    folder.reset();
    if (win::ComPtr<ITaskFolder> root = Folder(service.get(), "\\"))
        root->DeleteFolder(win::Bstr(kTaskFolder + 1).get(), 0);
    return TaskChange{true, S_OK, {}};
}

std::optional<SYSTEMTIME> NextRunAfter(const ScheduleValues& schedule, const SYSTEMTIME& now) {
    if (!schedule.enabled || schedule.kind == ScheduleKind::AtSignIn)
        return std::nullopt;
    auto at = [&](const SYSTEMTIME& day, int addDays) -> std::optional<SYSTEMTIME> {
        SYSTEMTIME start = day;
        start.wHour = static_cast<WORD>(schedule.hour);
        start.wMinute = static_cast<WORD>(schedule.minute);
        start.wSecond = start.wMilliseconds = 0;
        FILETIME file;
        if (!::SystemTimeToFileTime(&start, &file))
            return std::nullopt;
        ULARGE_INTEGER ticks{{file.dwLowDateTime, file.dwHighDateTime}};
        ticks.QuadPart += static_cast<ULONGLONG>(addDays) * 24 * 3600 * 10000000ULL;
        file = {ticks.LowPart, ticks.HighPart};
        SYSTEMTIME result;
        if (!::FileTimeToSystemTime(&file, &result))
            return std::nullopt;
        return result;
    };
    auto later = [&](const SYSTEMTIME& t) {
        FILETIME a, b;
        ::SystemTimeToFileTime(&t, &a);
        ::SystemTimeToFileTime(&now, &b);
        return ::CompareFileTime(&a, &b) > 0;
    };
    switch (schedule.kind) {
        case ScheduleKind::Daily: {
            std::optional<SYSTEMTIME> today = at(now, 0);
            return today && later(*today) ? today : at(now, 1);
        }
        case ScheduleKind::Weekly: {
            int ahead = (schedule.dayOfWeek - now.wDayOfWeek + 7) % 7;
            std::optional<SYSTEMTIME> next = at(now, ahead);
            return next && later(*next) ? next : at(now, ahead + 7);
        }
        case ScheduleKind::Monthly: {
            SYSTEMTIME day = now;
            day.wDay = static_cast<WORD>(schedule.dayOfMonth);
            std::optional<SYSTEMTIME> next = at(day, 0);
            if (next && later(*next))
                return next;
            day.wMonth = static_cast<WORD>(now.wMonth % 12 + 1);
            if (now.wMonth == 12)
                ++day.wYear;
            return at(day, 0);
        }
        case ScheduleKind::AtSignIn:
            break;
    }
    return std::nullopt;
}
