// The Linux desktop services: the program launcher (never through a shell),
// the text editor's start, the X11 window and keystroke services without a
// display, and the single-instance lock with the show request between two
// starts. (Typing into a real window is the desktop tests'.)
#include <cstring>
#include <fcntl.h>
#include <future>
#include <sys/file.h>
#include <sys/fsuid.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include "platform/Desktop.h"
#include "platform/SingleInstance.h"
#include "platform/TextEditor.h"
#include "platform/X11Keys.h"
#include "platform/X11Windows.h"
#include "platform/wayland/UserLayout.h"
#include "script/ScriptEngine.h"
#include "tests/ui/MainWindowRig.h"

class DesktopServicesTest : public QObject {
    Q_OBJECT
private slots:
    void shellCharactersArePlainTextAndAProgramRunsUntilWhatItStartedEnds() {
        TempFolder dir;
        Desktop desktop;
        ProgramLauncher* launcher = desktop.services().launcher;
        QVERIFY(launcher);
        // touch makes one file per argument. A shell would instead run "b",
        // "q", "id" and "whoami", and touch would see other names.
        const QString d = QString::fromStdString(dir.path());
        const QStringList names = {"a;b", "p|q", "$(id)", "`whoami`", "x&y", "m>n"};
        QString command = "touch";
        for (const QString& n : names) command += " " + d + "/" + n;
        auto id = launcher->start(command.toStdString());
        QVERIFY(id && *id > 0);
        for (const QString& n : names) QTRY_VERIFY2(QFile::exists(d + "/" + n), qPrintable(n));
        QCOMPARE(QDir(d).entryList(QDir::Files | QDir::NoDotAndDotDot).size(), names.size());
        QVERIFY(!launcher->start("/no/such/program --flag"));
        QVERIFY(!launcher->start("touch 'never"));

        // A program runs until what it started has ended, and its exit is
        // kept. The shell ends at once; the sleep it leaves behind is still the program.
        id = launcher->start("sh -c 'sleep 1 & exit 3'");
        QVERIFY(id);
        QTest::qWait(300);
        QVERIFY(launcher->isRunning(*id));
        QCOMPARE(launcher->exitStatus(*id), std::optional<ProgramExit>(ProgramExit{3, 0}));
        QTRY_VERIFY_WITH_TIMEOUT(!launcher->isRunning(*id), 3000);

        const auto killed = launcher->start("sh -c 'kill -9 $$'");
        QTRY_COMPARE(launcher->exitStatus(*killed), std::optional<ProgramExit>(ProgramExit{0, 9}));
        QVERIFY(!launcher->isRunning(0));

        // Children that QProcess owns are left to it.
        QProcess own;
        own.start("sh", {"-c", "exit 5"});
        QVERIFY(own.waitForFinished(3000));
        QCOMPARE(own.exitCode(), 5);
    }

    // The user's choice comes first: $VISUAL, then $EDITOR (one that works in
    // a terminal is run in one), then the desktop's default for plain text,
    // then the first common editor found. The script's path is one argument
    // whatever it holds; no editor at all is a clear failure.
    void theUsersEditorComesFirst() {
        // A folder of fake programs as the whole PATH, no editor variables and
        // no desktop entries but the folder's own; all back as they were after.
        TempFolder dir;
        std::vector<std::pair<const char*, std::optional<QByteArray>>> saved;
        for (const char* name : {"PATH", "VISUAL", "EDITOR", "XDG_DATA_HOME", "XDG_DATA_DIRS"}) {
            saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
            qunsetenv(name);
        }
        const auto restore = qScopeGuard([&] {
            for (const auto& [name, value] : saved) value ? qputenv(name, *value) : qunsetenv(name);
        });
        qputenv("PATH", QByteArray::fromStdString(dir.path()));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.path()));
        qputenv("XDG_DATA_DIRS", QByteArray::fromStdString(dir.file("none")));
        // Each fake program writes its arguments, each ended by |, to <name>.args.
        auto program = [&](const std::string& name, const std::string& body = {}) {
            const std::string path = dir.file(name);
            writeAll(path, "#!/bin/sh\n" +
                               (body.empty() ? "for a; do printf '%s|' \"$a\"; done > " + path + ".args\n" : body));
            QFile::setPermissions(QString::fromStdString(path), QFileDevice::ReadOwner | QFileDevice::ExeOwner);
        };
        for (const char* name : {"gui-ed", "nano", "x-terminal-emulator", "common-ed"}) program(name);
        program("xdg-mime", "echo fake-gui.desktop\n");
        std::filesystem::create_directories(dir.file("applications"));
        writeAll(dir.file("applications/fake-gui.desktop"),
                 "[Desktop Entry]\nType=Application\nName=Fake\nExec=gui-ed --new-window %U\n");
        const std::string script = dir.file("my script; $(x).wdx");
        DesktopTextEditor editor({"no-such-editor-here", "common-ed"});
        // What the program started got as its arguments, or why none started.
        auto opened = [&](const std::string& name) {
            const std::string args = dir.file(name + ".args");
            std::filesystem::remove(args);
            std::string failure;
            if (!editor.open(script, failure)) return failure;
            for (int k = 0; k < 100 && !std::filesystem::exists(args); ++k) QTest::qWait(50);
            return readAll(args);
        };
        qputenv("VISUAL", "gui-ed --wait");
        qputenv("EDITOR", "nano -w");
        QCOMPARE(opened("gui-ed"), "--wait|" + script + "|");
        qunsetenv("VISUAL");
        QCOMPARE(opened("x-terminal-emulator"), "-e|" + dir.file("nano") + "|-w|" + script + "|");
        qunsetenv("EDITOR");
        QCOMPARE(opened("gui-ed"), "--new-window|" + script + "|");
        std::filesystem::remove(dir.file("xdg-mime"));
        QCOMPARE(opened("common-ed"), script + "|");
        std::filesystem::remove(dir.file("common-ed"));
        QVERIFY(QString::fromStdString(opened("none")).contains("No text editor"));
    }

    // Without any window system (Wayland, a console) a wait still follows the
    // program's processes, no key is sent and no program has a window.
    void withoutADisplayWaitsFollowTheProgramAndNothingIsTyped() {
        const QByteArray display = qgetenv("DISPLAY");
        qunsetenv("DISPLAY");
        const auto restore = qScopeGuard([&] { display.isEmpty() || qputenv("DISPLAY", display); });
        TempFolder dir;
        writeAll(dir.file("w.wdx"), "RUN sh -c 'sleep 1.5 & exit 0',1\r\nEXEC touch " + dir.file("after") + "\r\n");
        General g;
        g.append();
        g.slot(1).ScriptFile = "w.wdx";
        Desktop desktop;
        Services s = desktop.services();
        ScriptEngine engine(g, dir.path(), {*s.launcher, *s.activator, *s.keys, *s.messages, *s.pump, *s.clock});
        QElapsedTimer took;
        took.start();
        engine.RunScript(1);
        QVERIFY2(took.elapsed() >= 1500, qPrintable(QString::number(took.elapsed())));
        QVERIFY(took.elapsed() < 4000);

        X11KeySender keys;
        keys.press(*parseSendKeys("abc"));
        X11WindowActivator activator;
        std::string failure;
        QCOMPARE(activator.activate(1234, failure), ActivateResult::NoSuchWindow);
        QVERIFY(!activator.activeWindowIsOurs());
    }

    // Where the desktop types with the user's layout, each character is
    // pressed as the keys that give it there: Shift, AltGr, both, or a key
    // in another place than on a US keyboard (German z and y). Pressed into
    // the same keymap, they give the character back.
    void theUsersLayoutGivesEachCharacterItsKeys() {
        xkb_context* context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
        const xkb_rule_names german{"evdev", "pc105", "de", "", ""};
        xkb_keymap* keymap = xkb_keymap_new_from_names(context, &german, XKB_KEYMAP_COMPILE_NO_FLAGS);
        QVERIFY(keymap);
        const wayland::UserLayout layout(keymap, 0);
        auto press = [&](char32_t c, bool ctrl) {
            KeyStroke stroke;
            stroke.character = c;
            stroke.ctrl = ctrl;
            const auto keys = layout.keysFor(stroke);
            xkb_state* state = xkb_state_new(keymap);
            for (std::size_t i = 0; keys && i + 1 < keys->size(); ++i)
                xkb_state_update_key(state, (*keys)[i], XKB_KEY_DOWN);
            const xkb_keysym_t typed = keys ? xkb_state_key_get_one_sym(state, keys->back()) : XKB_KEY_NoSymbol;
            const bool control = xkb_state_mod_name_is_active(state, XKB_MOD_NAME_CTRL, XKB_STATE_MODS_EFFECTIVE) > 0;
            xkb_state_unref(state);
            return std::pair{typed, control};
        };
        for (char32_t c : std::u32string(U"zyQ\u00c4@\u20ac\u03a9\u00c6\u00a1"))
            QCOMPARE(press(c, false), std::pair(xkb_utf32_to_keysym(c), false));
        QCOMPARE(press(U'q', true), std::pair(xkb_keysym_t{XKB_KEY_q}, true));
        QCOMPARE(press(U'\u0436', false).first, xkb_keysym_t{XKB_KEY_NoSymbol}); // not in the layout
        xkb_keymap_unref(keymap);
        xkb_context_unref(context);
    }

    // The lock goes by the folder's identity, so every path to it finds it. A
    // show request before the window is ready waits for the handler; garbage
    // on the socket shows nothing, and idle connections do not crowd out a
    // later start. A lock whose holder does not answer is named, with the
    // holder, in the reason the later start gives.
    void oneInstancePerFolderAndLaterStartsReachIt() {
        TempFolder dir, other;
        SingleInstance first(dir.path());
        QVERIFY(first.acquire());
        SingleInstance second(dir.path()), viaDots(dir.path() + "/./"), elsewhere(other.path());
        QVERIFY(!second.acquire());
        QVERIFY(!viaDots.acquire());
        QVERIFY(elsewhere.acquire());

        QVERIFY(asked(second));
        int shown = 0;
        first.setShowHandler([&] { ++shown; });
        QTRY_COMPARE(shown, 1);
        for (const std::string& junk : {std::string("sho\nshow\n"), std::string(100000, '\x01') + "show\n"}) {
            const int fd = connectTo(first.socketPath());
            ::send(fd, junk.data(), junk.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
            QTest::qWait(200);
            ::close(fd);
        }
        QCOMPARE(shown, 1);
        std::vector<int> idle;
        for (int k = 0; k < 20; ++k) { // each taken in before the next, as from other processes
            idle.push_back(connectTo(first.socketPath()));
            QCoreApplication::processEvents();
        }
        QVERIFY(asked(second));
        QTRY_COMPARE(shown, 2);
        for (int fd : idle) ::close(fd);

        first.release(); // leaving frees the folder at once
        QVERIFY(second.acquire());
        second.release();
        const int held = ::open(QFile::encodeName(first.lockPath()).constData(), O_RDWR | O_CREAT, 0600);
        ::flock(held, LOCK_EX);
        QVERIFY(!second.acquire());
        QVERIFY(!second.notifyRunning(500));
        QVERIFY(second.whyNot().contains(first.lockPath()));
        QVERIFY(second.whyNot().contains(QString("by process %1").arg(::getpid())));
        ::close(held);
        QFile::remove(first.lockPath());
    }

    // Only this user's processes are answered or asked: a request of another
    // user is closed unanswered and shows nothing, and a later start sends
    // nothing to a socket of another user's in the running one's place.
    void otherUsersAreNeitherAnsweredNorAsked() {
        if (::geteuid() != 0) QSKIP("acting as another user needs root");
        constexpr uid_t kNobody = 65534;
        TempFolder dir;
        SingleInstance first(dir.path());
        QVERIFY(first.acquire());
        int shown = 0;
        first.setShowHandler([&] { ++shown; });
        // As nobody, with root's access to the files on the way.
        const int foreign = ::socket(AF_UNIX, SOCK_STREAM, 0);
        ::seteuid(kNobody);
        ::setfsuid(0);
        const sockaddr_un address = addressOf(first.socketPath());
        const bool connected = ::connect(foreign, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        ::seteuid(0);
        QVERIFY(connected);
        ::send(foreign, "show\n", 5, MSG_NOSIGNAL);
        char reply[8];
        QTRY_COMPARE(::recv(foreign, reply, sizeof reply, MSG_DONTWAIT), ssize_t(0));
        ::close(foreign);
        QTest::qWait(100);
        QCOMPARE(shown, 0);

        // The lock held, another user's socket where the running one's would be.
        first.release();
        const int lock = ::open(first.lockPath().toLocal8Bit().constData(), O_RDWR | O_CREAT, 0600);
        QVERIFY(::flock(lock, LOCK_EX | LOCK_NB) == 0);
        const int listener = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QVERIFY(::bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0);
        ::seteuid(kNobody);
        const bool listening = ::listen(listener, 4) == 0;
        ::seteuid(0);
        QVERIFY(listening);
        SingleInstance later(dir.path());
        QVERIFY(!later.acquire());
        QVERIFY(!later.notifyRunning(3000));
        QVERIFY2(later.whyNot().contains("another user"), qPrintable(later.whyNot()));
        const int peer = ::accept(listener, nullptr, nullptr);
        QCOMPARE(::recv(peer, reply, sizeof reply, MSG_DONTWAIT), ssize_t(0)); // gone without a word
        for (int fd : {peer, listener, lock}) ::close(fd);
        for (const QString& path : {first.socketPath(), first.lockPath()}) QFile::remove(path);
    }

private:
    static sockaddr_un addressOf(const QString& path) {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path - 1);
        return address;
    }
    static int connectTo(const QString& path) {
        const sockaddr_un address = addressOf(path);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        return ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ? fd : -1;
    }
    // A later start waits for the running one's answer: it asks from a thread
    // of its own while this one answers.
    static bool asked(SingleInstance& later) {
        auto answer = std::async(std::launch::async, [&later] { return later.notifyRunning(5000); });
        while (answer.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
            QCoreApplication::processEvents();
        }
        return answer.get();
    }
};

QTEST_MAIN(DesktopServicesTest)
#include "DesktopServicesTest.moc"
