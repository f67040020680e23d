// szuserbench: what the user waits for, measured on the real program as it is
// installed (the program file beside its DATA folder), driven by keys under
// an X server without a window manager (Xvfb, started by scripts/bench).
//
// A figure runs from the key that asks for something (or from the process
// start) to the window asked for being on the screen and the program
// answering again: the window's map seen on the root window, then a
// _NET_WM_PING sent to it and answered. The answer comes from the program's
// event loop, after the paint the map asked for. Keys are sent with the X
// test extension, so no helper process stands between the key and the clock.
//
// The program runs under libfaketime with the clock on 2025.12.10, the day
// the twenty years of data were made for (the monotonic clock and the files'
// times are left alone).
//
// Usage: szuserbench FOLDER [RUNS] [YEARS]
//   FOLDER: a folder made by szbenchfolder holding the program file
//   (szakapolas), its DATA, and floppy/Telj1890.arj (made by szimportbench)
//   for the full data set. YEARS (20 by default) the folder holds: the full
//   data set's goal is 3 s at twenty, 6 s at forty. Run as root for the cold
//   figures (the page cache is dropped through /proc/sys/vm/drop_caches).
//   SZUSERBENCH_DEBUG=1 prints every X event the driver sees.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fstream>
#include <functional>
#include <map>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using Time = Clock::time_point;

double msBetween(Time a, Time b) {
    return std::chrono::duration<double, std::milli>(b - a).count();
}

void pause(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

const char* const kTitle = "Otthoni szakápolás"; // the main window and the message boxes
const char* const kFaketime = "/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1";

// What the driver sees of the program: top-level windows mapped and
// unmapped, and the answers to its pings.
struct Event {
    enum Kind { Map, Unmap, Pong } kind;
    Window w;
    std::string title;
    Time at;
    long stamp;
};

int ignoreErrors(Display*, XErrorEvent*) {
    return 0;
}

class Driver {
public:
    bool open() {
        d_ = XOpenDisplay(nullptr);
        if (!d_) return false;
        XSetErrorHandler(ignoreErrors);
        root_ = DefaultRootWindow(d_);
        protocols_ = XInternAtom(d_, "WM_PROTOCOLS", False);
        ping_ = XInternAtom(d_, "_NET_WM_PING", False);
        deleteWindow_ = XInternAtom(d_, "WM_DELETE_WINDOW", False);
        name_ = XInternAtom(d_, "_NET_WM_NAME", False);
        utf8_ = XInternAtom(d_, "UTF8_STRING", False);
        windowType_ = XInternAtom(d_, "_NET_WM_WINDOW_TYPE", False);
        dialogType_ = XInternAtom(d_, "_NET_WM_WINDOW_TYPE_DIALOG", False);
        // StructureNotify: the program answers a ping on the root window with it.
        XSelectInput(d_, root_, SubstructureNotifyMask | StructureNotifyMask);
        XFlush(d_);
        return true;
    }

    // The next event that `want` accepts, looking first at the ones seen
    // before; seconds past `timeout` give an event of kind Pong with w 0.
    Event wait(const std::function<bool(const Event&)>& want, double timeout) {
        const Time end = Clock::now() + std::chrono::milliseconds(long(timeout * 1000));
        for (;;) {
            for (auto it = seen_.begin(); it != seen_.end(); ++it)
                if (want(*it)) {
                    Event e = *it;
                    seen_.erase(it);
                    return e;
                }
            if (!readOne(end)) return Event{Event::Pong, 0, "", Clock::now(), 0};
        }
    }
    Event waitMap(const std::string& title, double timeout = 60) {
        return wait([&](const Event& e) {
            return e.kind == Event::Map && (title.empty() || e.title == title);
        }, timeout);
    }
    Event waitUnmap(Window w, double timeout = 30) {
        return wait([w](const Event& e) { return e.kind == Event::Unmap && e.w == w; }, timeout);
    }
    // Pings the window and waits for the program's answer: when it comes,
    // the program has handled everything queued before it.
    Time pong(Window w, double timeout = 120) {
        const long stamp = ping(w);
        return wait([stamp](const Event& e) { return e.kind == Event::Pong && e.stamp == stamp; },
                    timeout)
            .at;
    }
    // Sends a ping; its answer is the Pong event with the stamp returned.
    long ping(Window w) {
        XEvent ev{};
        ev.xclient.type = ClientMessage;
        ev.xclient.window = w;
        ev.xclient.message_type = protocols_;
        ev.xclient.format = 32;
        const long stamp = ++stamp_;
        ev.xclient.data.l[0] = long(ping_);
        ev.xclient.data.l[1] = stamp;
        ev.xclient.data.l[2] = long(w);
        XSendEvent(d_, w, False, NoEventMask, &ev);
        XFlush(d_);
        return stamp;
    }
    void forget() { seen_.clear(); }
    // The window's close box, as a window manager passes it on.
    void close(Window w) {
        XEvent ev{};
        ev.xclient.type = ClientMessage;
        ev.xclient.window = w;
        ev.xclient.message_type = protocols_;
        ev.xclient.format = 32;
        ev.xclient.data.l[0] = long(deleteWindow_);
        ev.xclient.data.l[1] = CurrentTime;
        XSendEvent(d_, w, False, NoEventMask, &ev);
        XFlush(d_);
    }
    // A dialog or message box rather than a main window.
    bool dialog(Window w) {
        Atom type;
        int format;
        unsigned long n, after;
        unsigned char* data = nullptr;
        bool is = false;
        if (XGetWindowProperty(d_, w, windowType_, 0, 16, False, XA_ATOM, &type, &format, &n,
                               &after, &data) == Success &&
            data) {
            const Atom* types = reinterpret_cast<const Atom*>(data);
            for (unsigned long i = 0; i < n; ++i)
                is = is || types[i] == dialogType_;
            XFree(data);
        }
        return is;
    }
    void maximize(Window w) {
        const int s = DefaultScreen(d_);
        XMoveResizeWindow(d_, w, 0, 0, unsigned(DisplayWidth(d_, s)),
                          unsigned(DisplayHeight(d_, s)));
        XFlush(d_);
    }

    void focus(Window w) {
        XSetInputFocus(d_, w, RevertToPointerRoot, CurrentTime);
        XFlush(d_);
    }
    // One key by its X name ("Return", "Escape", "d"), with Alt when asked.
    Time key(const char* name, bool alt = false) {
        const KeyCode code = XKeysymToKeycode(d_, XStringToKeysym(name));
        const KeyCode altCode = XKeysymToKeycode(d_, XK_Alt_L);
        if (alt) XTestFakeKeyEvent(d_, altCode, True, 0);
        const Time at = Clock::now();
        XTestFakeKeyEvent(d_, code, True, 0);
        XTestFakeKeyEvent(d_, code, False, 0);
        if (alt) XTestFakeKeyEvent(d_, altCode, False, 0);
        XFlush(d_);
        return at;
    }
    void type(const std::string& text) {
        for (char c : text) {
            const char name[2] = {c, 0};
            key(c == '.' ? "period" : name);
            pause(15);
        }
    }

private:
    bool readOne(Time end) {
        while (!XPending(d_)) {
            const long left = long(msBetween(Clock::now(), end));
            if (left <= 0) return false;
            pollfd p{ConnectionNumber(d_), POLLIN, 0};
            poll(&p, 1, int(std::min(left, 50L)));
        }
        XEvent ev;
        XNextEvent(d_, &ev);
        const Time at = Clock::now();
        if (debug_)
            std::fprintf(stderr, "[event %d window %lx l0 %lx l1 %ld]\n", ev.type, ev.xany.window,
                         ev.xclient.data.l[0], ev.xclient.data.l[1]);
        if (ev.type == MapNotify && !ev.xmap.override_redirect) {
            seen_.push_back({Event::Map, ev.xmap.window, title(ev.xmap.window), at, 0});
            if (debug_) std::fprintf(stderr, "[map \"%s\"]\n", seen_.back().title.c_str());
        }
        else if (ev.type == UnmapNotify)
            seen_.push_back({Event::Unmap, ev.xunmap.window, "", at, 0});
        else if (ev.type == ClientMessage && ev.xclient.window == root_ &&
                 Atom(ev.xclient.data.l[0]) == ping_)
            seen_.push_back({Event::Pong, root_, "", at, ev.xclient.data.l[1]});
        return true;
    }
    std::string title(Window w) {
        Atom type;
        int format;
        unsigned long n, after;
        unsigned char* data = nullptr;
        std::string t;
        if (XGetWindowProperty(d_, w, name_, 0, 1024, False, utf8_, &type, &format, &n, &after,
                               &data) == Success &&
            data) {
            t.assign(reinterpret_cast<char*>(data), n);
            XFree(data);
        }
        return t;
    }

    Display* d_ = nullptr;
    Window root_ = 0;
    Atom protocols_ = 0, ping_ = 0, deleteWindow_ = 0, name_ = 0, utf8_ = 0, windowType_ = 0, dialogType_ = 0;
    long stamp_ = 0;
    bool debug_ = std::getenv("SZUSERBENCH_DEBUG") != nullptr;
    std::deque<Event> seen_;
};

// ---------------------------------------------------------------------------
// The program as a process

bool dropCaches() {
    sync();
    std::FILE* f = std::fopen("/proc/sys/vm/drop_caches", "w");
    if (!f) return false;
    const bool ok = std::fputs("3\n", f) >= 0;
    return std::fclose(f) == 0 && ok;
}

pid_t startProgram(const std::string& dir) {
    const pid_t pid = fork();
    if (pid != 0) return pid;
    if (chdir(dir.c_str()) != 0) _exit(127);
    setenv("LD_PRELOAD", kFaketime, 1);
    setenv("FAKETIME", "@2025-12-10 09:00:00", 1);
    setenv("FAKETIME_DONT_FAKE_MONOTONIC", "1", 1);
    // The files' times as they are: libfaketime would shift them by its own
    // offset, different in every run, and every table would look changed by
    // another program since the index was written (every tag checked
    // against its records at each start, which a user's start never does).
    setenv("NO_FAKE_STAT", "1", 1);
    setenv("LANG", "hu_HU.UTF-8", 0);
    const std::string prog = dir + "/szakapolas";
    execl(prog.c_str(), prog.c_str(), static_cast<char*>(nullptr));
    _exit(127);
}

// A line of /proc/<pid>/status in MB: VmHWM the peak resident memory so
// far (the libraries' pages included), RssAnon the program's own memory now.
double statusMb(pid_t pid, const std::string& field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line))
        if (line.rfind(field + ":", 0) == 0)
            return std::atof(line.c_str() + field.size() + 1) / 1024.0;
    return 0;
}
double peakMb(pid_t pid) {
    return statusMb(pid, "VmHWM");
}

bool ended(pid_t pid, double seconds) {
    const Time end = Clock::now() + std::chrono::milliseconds(long(seconds * 1000));
    while (Clock::now() < end) {
        if (waitpid(pid, nullptr, WNOHANG) == pid) return true;
        pause(20);
    }
    return false;
}

// The program ended from its menu bar's "&Kilépés"; killed when it does not.
void quit(Driver& x, pid_t pid, Window main) {
    x.focus(main);
    x.key("k", true);
    if (ended(pid, 15)) return;
    std::printf("  (the program did not end on Alt+K: killed)\n");
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

// ---------------------------------------------------------------------------
// The figures

struct Row {
    std::string what, goal;
    std::vector<double> ms; // first run first
    double goalMs = 0;
    std::string note;
};

double medianOf(std::vector<double> v) {
    if (v.empty()) return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void printRows(const std::vector<Row>& rows) {
    std::printf("\n%-50s %10s %10s %4s  %-10s %s\n", "what the user waits for (ms)", "first",
                "median", "runs", "goal", "met");
    for (const Row& r : rows) {
        if (r.ms.empty()) {
            std::printf("%-50s %10s %10s %4s  %-10s %s\n", r.what.c_str(), "-", "-", "0",
                        r.goal.c_str(), r.note.c_str());
            continue;
        }
        const double first = r.ms.front(), med = medianOf(r.ms);
        const bool met = r.goalMs <= 0 || std::max(first, med) < r.goalMs;
        std::printf("%-50s %10.1f %10.1f %4zu  %-10s %s %s\n", r.what.c_str(), first, med,
                    r.ms.size(), r.goal.c_str(), r.goalMs <= 0 ? "" : met ? "yes" : "NO",
                    r.note.c_str());
    }
}

// A window that came up where none was asked for (a message box): told.
void tell(const Event& e) {
    std::printf("  window \"%s\"\n", e.title.c_str());
}

struct Session {
    pid_t pid = 0;
    Window main = 0;
    double startMs = 0, loginMs = 0;
};

// Process start to the main window, the login and the period typed in as the
// user types them; the time spent typing is not counted.
bool startSession(Driver& x, const std::string& dir, Session& s) {
    x.forget();
    const Time t0 = Clock::now();
    s.pid = startProgram(dir);
    const Event login = x.waitMap("Bejelentkezési ablak");
    if (!login.w) return false;
    const Time loginUp = x.pong(login.w);
    s.loginMs = msBetween(t0, loginUp);
    x.focus(login.w);
    x.type("titok");
    const Time enter1 = x.key("Return");
    const Event period = x.waitMap("Elszámolási időszak");
    if (!period.w) return false;
    const Time periodUp = x.pong(period.w);
    x.focus(period.w);
    pause(50);
    x.key("Home");
    x.type("2025.12");
    const Time enter2 = x.key("Return");
    const Event main = x.waitMap(kTitle);
    if (!main.w) return false;
    if (x.dialog(main.w)) {
        std::printf("  a message box came where the main window was awaited\n");
        return false;
    }
    // No window manager maximizes it: done here as one would, at once.
    x.maximize(main.w);
    const Time mainUp = x.pong(main.w);
    s.main = main.w;
    s.startMs = s.loginMs + msBetween(enter1, periodUp) + msBetween(enter2, mainUp);
    return true;
}

void startRows(Driver& x, const std::string& dir, int runs, std::vector<Row>& rows) {
    Row cold{"start: process to main window, cold cache", "< 300", {}, 300, ""};
    Row warm{"start: process to main window, warm cache", "", {}, 0, ""};
    Row login{"  of it: process to the login dialog", "", {}, 0, ""};
    Row mem{"  peak memory after start (MB, VmHWM)", "", {}, 0, ""};
    Row anon{"  of it the program's own now (MB, RssAnon)", "", {}, 0, ""};
    for (int i = 0; i < runs + 1; ++i) {
        const bool isCold = i < 2 && dropCaches();
        if (i < 2 && !isCold) cold.note = "(page cache not dropped: not root)";
        Session s;
        if (!startSession(x, dir, s)) {
            std::printf("the program did not come up\n");
            if (s.pid) kill(s.pid, SIGKILL);
            return;
        }
        (isCold ? cold : warm).ms.push_back(s.startMs);
        if (!isCold) login.ms.push_back(s.loginMs);
        mem.ms.push_back(peakMb(s.pid));
        anon.ms.push_back(statusMb(s.pid, "RssAnon"));
        quit(x, s.pid, s.main);
        pause(300);
    }
    rows.push_back(cold);
    rows.push_back(warm);
    rows.push_back(login);
    rows.push_back(mem);
    rows.push_back(anon);
}

// Alt+D, then `k`: the register opened in send-selection mode; Esc closes it.
void registerRow(Driver& x, const Session& s, int runs, std::vector<Row>& rows) {
    Row r{"open the register in send-selection mode", "< 300", {}, 300, ""};
    for (int i = 0; i < runs; ++i) {
        x.focus(s.main);
        x.key("d", true);
        pause(200);
        const Time t0 = x.key("k");
        const Event w = x.waitMap("", 30);
        if (!w.w) break;
        if (w.title.find("Elszámolási lapok küldése") == std::string::npos) {
            tell(w);
            r.note = "(another window came: see above)";
        }
        r.ms.push_back(msBetween(t0, x.pong(w.w)));
        x.focus(w.w);
        x.key("Escape");
        if (!x.waitUnmap(w.w, 10).w) {
            r.note = "(the register did not close on Esc)";
            break;
        }
        pause(200);
    }
    rows.push_back(r);
}

// The whole list behind the preview's first pages: its query holds the
// program (a ping waits for it), then its layout shows the progress window
// "Lista" after 0.4 s while it answers, then the preview takes the pages. Done
// when a ping is answered and no progress window follows within 2 s.
Time wholeList(Driver& x, Window preview) {
    for (;;) {
        const long stamp = x.ping(preview);
        const Event e = x.wait(
            [stamp](const Event& ev) {
                return (ev.kind == Event::Pong && ev.stamp == stamp) ||
                       (ev.kind == Event::Map && ev.title == "Lista");
            },
            900);
        if (e.kind == Event::Map) {
            x.waitUnmap(e.w, 900);
            continue;
        }
        const Event more = x.waitMap("Lista", 2);
        if (!more.w) return e.at;
        x.waitUnmap(more.w, 900);
    }
}

// Listák, TAJ check lists, "összesítve", "Teljes lista" chosen. First page:
// the preview up with the list's first pages. Whole: wholeList().
void tajRow(Driver& x, const Session& s, int runs, std::vector<Row>& rows) {
    Row first{"TAJ check list of every patient: first page", "< 1000", {}, 1000, ""};
    Row whole{"TAJ check list of every patient: whole", "< 5000", {}, 5000, ""};
    for (int i = 0; i < runs; ++i) {
        x.focus(s.main);
        x.key("l", true);
        pause(200);
        x.key("t");
        pause(200);
        x.key("t");
        const Event ask = x.waitMap("Időszak bekérése", 20);
        if (!ask.w) break;
        x.pong(ask.w);
        x.focus(ask.w);
        x.key("space"); // "Teljes lista"
        pause(100);
        const Time t0 = x.key("Return");
        const Event preview = x.waitMap("TAJ számos ellenőrző lista", 120);
        if (!preview.w) break;
        const Time up = x.pong(preview.w);
        first.ms.push_back(msBetween(t0, up));
        whole.ms.push_back(msBetween(t0, wholeList(x, preview.w)));
        pause(300);
        x.close(preview.w);
        if (!x.waitUnmap(preview.w, 120).w) {
            first.note = "(the preview did not close)";
            break;
        }
        pause(200);
    }
    rows.push_back(first);
    rows.push_back(whole);
}

// Adatszolgáltatás, Floppy beolvasása, Teljes adatállomány: the warning
// confirmed, "floppy" chosen in the folder chooser, Alt+O; the figure ends
// with the closing message on the screen.
void importRow(Driver& x, const Session& s, int runs, int years, std::vector<Row>& rows) {
    const bool forty = years > 20;
    Row r{"full data set from the archive (OK to message)", forty ? "< 6000" : "< 3000", {},
          forty ? 6000.0 : 3000.0, ""};
    Row mem{"peak memory after the full import (MB, VmHWM)", "< 300", {}, 300, ""};
    Row anon{"  of it the program's own now (MB, RssAnon)", "", {}, 0, ""};
    for (int i = 0; i < runs; ++i) {
        x.focus(s.main);
        x.key("d", true);
        pause(200);
        x.key("b");
        pause(200);
        x.key("t");
        const Event warn = x.waitMap(kTitle, 20);
        if (!warn.w) break;
        x.pong(warn.w);
        x.focus(warn.w);
        x.key("Return");
        const Event chooser = x.waitMap("Beolvasás helyének kiválasztása", 20);
        if (!chooser.w) break;
        x.pong(chooser.w);
        x.focus(chooser.w);
        x.type("f");
        x.key("Return");
        pause(300);
        x.pong(chooser.w);
        const Time t0 = x.key("o", true);
        Event done = x.waitMap("", 600);
        while (done.w && done.title != kTitle) {
            if (i == 0) tell(done);
            done = x.waitMap("", 600);
        }
        if (!done.w) break;
        r.ms.push_back(msBetween(t0, x.pong(done.w)));
        mem.ms.push_back(peakMb(s.pid));
        anon.ms.push_back(statusMb(s.pid, "RssAnon"));
        // The closing message and whatever question follows it, answered
        // with Esc (no summary printed).
        for (Event e = done; e.w; e = x.waitMap(kTitle, 2)) {
            x.focus(e.w);
            x.key("Escape");
            x.waitUnmap(e.w, 10);
        }
        pause(300);
    }
    rows.push_back(r);
    rows.push_back(mem);
    rows.push_back(anon);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: szuserbench FOLDER [RUNS] [YEARS]\n");
        return 2;
    }
    const std::string dir = argv[1];
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const int years = argc > 3 ? std::atoi(argv[3]) : 20; // the import's goal grows with them
    const bool archive = access((dir + "/floppy/Telj1890.arj").c_str(), R_OK) == 0;
    if (access((dir + "/szakapolas").c_str(), X_OK) != 0) {
        std::fprintf(stderr, "szuserbench: no program file in %s\n", dir.c_str());
        return 2;
    }
    if (access(kFaketime, R_OK) != 0) {
        std::fprintf(stderr, "szuserbench: libfaketime is missing (Debian package faketime)\n");
        return 2;
    }
    Driver x;
    if (!x.open()) {
        std::fprintf(stderr, "szuserbench: no X display (DISPLAY)\n");
        return 2;
    }
    {
        std::ifstream load("/proc/loadavg");
        std::string line;
        std::getline(load, line);
        std::printf("szuserbench on %s, %d runs; load average at the start: %s\n", dir.c_str(),
                    runs, line.c_str());
    }
    std::vector<Row> rows;
    startRows(x, dir, runs, rows);
    Session s;
    if (!startSession(x, dir, s)) {
        std::fprintf(stderr, "szuserbench: the program did not come up\n");
        if (s.pid) kill(s.pid, SIGKILL);
        printRows(rows);
        return 1;
    }
    registerRow(x, s, runs, rows);
    rows.push_back({"check and save a 14-visit sheet", "< 20", {}, 20,
                    "not driven by keys (typing a whole sheet): see szsavebench"});
    rows.push_back({"a month's sending (Enter on the question to the next)", "< 300", {}, 300,
                    "not driven by keys (marking, folder, questions): see szshipbench"});
    tajRow(x, s, std::max(1, runs / 2), rows);
    quit(x, s.pid, s.main);
    // The import in a process of its own, so that its peak memory is its own.
    if (!archive) {
        rows.push_back({"full data set from the archive (OK to message)", "< 3000", {}, 3000,
                        "no floppy/Telj1890.arj in the folder (made by szimportbench)"});
    } else if (startSession(x, dir, s)) {
        importRow(x, s, std::max(1, runs / 2), years, rows);
        quit(x, s.pid, s.main);
    } else if (s.pid) {
        std::printf("the program did not come up for the full data set\n");
        kill(s.pid, SIGKILL);
        waitpid(s.pid, nullptr, 0);
    }
    printRows(rows);
    std::printf("load average at the end: ");
    std::fflush(stdout);
    std::ifstream load("/proc/loadavg");
    std::string line;
    std::getline(load, line);
    std::printf("%s\n", line.c_str());
    return 0;
}
