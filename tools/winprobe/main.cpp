// winprobe: starts a program and times it as an X client sees it, for tools/measure-window.sh.
//
//   winprobe TITLE [--ping SECONDS [--settle MS]] -- PROGRAM [ARGS...]
//
// Starts PROGRAM, waits for a top-level window whose title contains TITLE to become viewable
// and prints "shown <ms since the start> pid <pid>". With --ping it then sends the window
// _NET_WM_PING messages, one as soon as the last is answered (at least 1 ms apart), for SECONDS
// and prints "frozen <longest answer in ms> at <ms since shown> pings <count> first <ms>": the
// longest stretch in which the window's thread did not serve its X events, leaving out pings
// sent in the first MS after the window showed (default 0), while it draws its first picture;
// "first" is the longest answer among those. The program keeps running;
// the caller ends it. Exit status 2 when the window does not show within 20 s.

#include <poll.h>
#include <signal.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point t) {
    return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    xcb_intern_atom_reply_t* r =
        xcb_intern_atom_reply(c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr);
    const xcb_atom_t a = r ? r->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(r);
    return a;
}

std::string property(xcb_connection_t* c, xcb_window_t w, xcb_atom_t name, xcb_atom_t type) {
    xcb_get_property_reply_t* r =
        xcb_get_property_reply(c, xcb_get_property(c, 0, w, name, type, 0, 256), nullptr);
    std::string s;
    if (r)
        s.assign(static_cast<const char*>(xcb_get_property_value(r)),
                 std::size_t(xcb_get_property_value_length(r)));
    std::free(r);
    return s;
}

// Sleeps until the X connection has something to read, at most `ms`.
void await(xcb_connection_t* c, int ms) {
    pollfd p{xcb_get_file_descriptor(c), POLLIN, 0};
    poll(&p, 1, ms);
}

bool viewable(xcb_connection_t* c, xcb_window_t w) {
    xcb_get_window_attributes_reply_t* r =
        xcb_get_window_attributes_reply(c, xcb_get_window_attributes(c, w), nullptr);
    const bool v = r && r->map_state == XCB_MAP_STATE_VIEWABLE;
    std::free(r);
    return v;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr,
                     "usage: winprobe TITLE [--ping SECONDS [--settle MS]] -- PROGRAM [ARGS...]\n");
        return 2;
    }
    const std::string title = argv[1];
    double pingSeconds = 0;
    int i = 2;
    if (std::strcmp(argv[i], "--ping") == 0 && i + 1 < argc) {
        pingSeconds = std::atof(argv[i + 1]);
        i += 2;
    }
    double settleMs = 0;
    if (i + 1 < argc && std::strcmp(argv[i], "--settle") == 0) {
        settleMs = std::atof(argv[i + 1]);
        i += 2;
    }
    if (i >= argc || std::strcmp(argv[i], "--") != 0 || i + 1 >= argc) return 2;
    char** program = argv + i + 1;

    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) return 2;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    const xcb_atom_t netName = atom(c, "_NET_WM_NAME"), utf8 = atom(c, "UTF8_STRING");
    const xcb_atom_t protocols = atom(c, "WM_PROTOCOLS"), ping = atom(c, "_NET_WM_PING");
    // Structure notify too: Qt answers a ping to the root window with that mask.
    const uint32_t rootMask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_STRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, root, XCB_CW_EVENT_MASK, &rootMask);
    xcb_flush(c);

    const Clock::time_point start = Clock::now();
    const pid_t pid = fork();
    if (pid == 0) {
        dup2(2, 1);  // the caller reads this probe's output to its end, not the program's
        execvp(program[0], program);
        _exit(127);
    }
    // Every new top-level window is watched until one with the title is viewable.
    std::set<xcb_window_t> watched;
    xcb_window_t found = XCB_WINDOW_NONE;
    auto check = [&](xcb_window_t w) {
        std::string name = property(c, w, netName, utf8);
        if (name.empty()) name = property(c, w, XCB_ATOM_WM_NAME, XCB_ATOM_STRING);
        if (name.find(title) != std::string::npos && viewable(c, w)) found = w;
    };
    while (found == XCB_WINDOW_NONE) {
        if (msSince(start) > 20000) {
            kill(pid, SIGTERM);
            return 2;
        }
        xcb_generic_event_t* e = xcb_poll_for_event(c);
        if (!e) {
            if (xcb_connection_has_error(c)) return 2;
            await(c, 5);
            continue;
        }
        switch (e->response_type & 0x7F) {
            case XCB_CREATE_NOTIFY: {
                const xcb_window_t w = reinterpret_cast<xcb_create_notify_event_t*>(e)->window;
                const uint32_t mask =
                    XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
                xcb_change_window_attributes(c, w, XCB_CW_EVENT_MASK, &mask);
                watched.insert(w);
                check(w);
                break;
            }
            case XCB_MAP_NOTIFY:
            case XCB_PROPERTY_NOTIFY:
                // A frame mapped by the window manager can make its client viewable.
                for (xcb_window_t w : watched)
                    if (found == XCB_WINDOW_NONE) check(w);
                break;
            default:
                break;
        }
        std::free(e);
    }
    const Clock::time_point shown = Clock::now();
    std::printf("shown %.1f pid %d\n",
                std::chrono::duration<double, std::milli>(shown - start).count(), int(pid));
    std::fflush(stdout);
    if (pingSeconds <= 0) return 0;

    double longest = 0, longestAt = 0, first = 0;
    int count = 0;
    while (msSince(shown) < pingSeconds * 1000) {
        xcb_client_message_event_t m{};
        m.response_type = XCB_CLIENT_MESSAGE;
        m.format = 32;
        m.window = found;
        m.type = protocols;
        m.data.data32[0] = ping;
        m.data.data32[1] = uint32_t(++count);
        m.data.data32[2] = found;
        const Clock::time_point sent = Clock::now();
        xcb_send_event(c, 0, found, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&m));
        xcb_flush(c);
        bool answered = false;
        while (!answered && msSince(sent) < 5000) {
            xcb_generic_event_t* e = xcb_poll_for_event(c);
            if (!e) {
                if (xcb_connection_has_error(c)) return 2;
                await(c, 5);
                continue;
            }
            if ((e->response_type & 0x7F) == XCB_CLIENT_MESSAGE) {
                const auto* r = reinterpret_cast<xcb_client_message_event_t*>(e);
                answered = r->data.data32[0] == ping && r->data.data32[1] == uint32_t(count);
            }
            std::free(e);
        }
        if (!answered) {  // a window that does not answer pings cannot be timed this way
            std::printf("frozen n/a (no answer to _NET_WM_PING)\n");
            return 0;
        }
        const double took = msSince(sent);
        const double at = std::chrono::duration<double, std::milli>(sent - shown).count();
        if (at < settleMs) {
            first = std::max(first, took);
        } else if (took > longest) {
            longest = took;
            longestAt = at;
        }
        while (msSince(sent) < 1.0) usleep(100);
    }
    std::printf("frozen %.1f at %.0f pings %d first %.1f\n", longest, longestAt, count, first);
    xcb_disconnect(c);
    return 0;
}
