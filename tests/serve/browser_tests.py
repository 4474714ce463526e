"""The page of `qentsim serve` in headless Chromium: a person's session, and requests that must be
refused. Prints PASS NAME or FAIL NAME: why per scenario, then "N passed, N failed".

usage: browser_tests.py QENTSIM
"""
import glob
import json
import os
import socket
import sys
import tempfile
import traceback

from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select

from serve_harness import Server, browser, open_page, text_of, wait_until

SETUP_WINDOW = "QENT6/QENT8 Extension Setup"


def number_in(text):
    return float(text.split()[0])


def parameter_text(driver, title):
    return driver.find_element(By.CSS_SELECTOR, '#parameters tr[data-parameter="%s"] .parameter-text' % title).text


def log_lines(driver):
    return [li.text for li in driver.find_elements(By.CSS_SELECTOR, "#command-log li")]


def window_control(driver, name):
    return driver.find_element(By.ID, "w-" + name)


def stop_in_order(server):
    code, out, err = server.stop()
    assert code == 0, "Ctrl-C: exit code %s, stderr %s" % (code, err)
    assert any("shut down in order" in line for line in out), "no orderly shutdown reported: %s" % out


def person_session(qentsim):
    """Turns a knob, runs F1, selects a track, assigns SF3 in the setup window, answers the reset
    question both ways, saves and loads the setup through the page, and stops with Ctrl-C."""
    server = Server(qentsim)
    downloads = tempfile.mkdtemp(prefix="qentsim-downloads-")
    driver = browser(downloads=downloads)
    try:
        open_page(driver, server)
        wait_until(driver, lambda d: text_of(d, "knob-name-1") == "Cutoff", 'knob 1 named "Cutoff"')
        assert text_of(driver, "target") == "LeadSynth", "target is " + text_of(driver, "target")

        # Knob 1 dragged upwards: the display's value text and the host's parameter both move up.
        before_display = text_of(driver, "knob-value-1")
        before_host = number_in(parameter_text(driver, "Cutoff"))
        knob = driver.find_element(By.ID, "knob-AsgnKnob1")
        ActionChains(driver).click_and_hold(knob).move_by_offset(0, -40).release().perform()
        wait_until(driver, lambda d: text_of(d, "knob-value-1") != before_display,
                   "knob 1's value text to change on the display")
        wait_until(driver, lambda d: number_in(parameter_text(d, "Cutoff")) > before_host,
                   "the host's Cutoff to rise above %s" % before_host)
        # The mouse wheel turns it too, downwards.
        turned = text_of(driver, "knob-value-1")
        ActionChains(driver).scroll_to_element(knob).perform()
        driver.execute_script(
            "arguments[0].dispatchEvent(new WheelEvent('wheel', {deltaY: 300, deltaMode: 0, bubbles: true, cancelable: true}))",
            knob)
        wait_until(driver, lambda d: text_of(d, "knob-value-1") != turned, "knob 1 to turn back by the wheel")

        # F1 runs memory 1's command: the host's log shows it.
        driver.find_element(By.ID, "key-F1").click()
        wait_until(driver, lambda d: "Zoom / Zoom In" in log_lines(d), "the host's log to show Zoom In")

        # The user selects "Seq" in the host: the keyboard's target follows its instrument.
        driver.find_element(By.CSS_SELECTOR, '#tracks li[data-track="Seq"]').click()
        wait_until(driver, lambda d: text_of(d, "target") not in ("", "LeadSynth"),
                   "the target name to change from LeadSynth")
        wait_until(driver, lambda d: text_of(d, "line") == "Seq", 'the text line to show "Seq"')
        driver.find_element(By.CSS_SELECTOR, '#tracks li[data-track="Lead"]').click()
        wait_until(driver, lambda d: text_of(d, "target") == "LeadSynth", "the target back on LeadSynth")

        # The setup window, from the Devices menu, drawn from the skin package's images.
        driver.find_element(By.ID, "devices-button").click()
        entry = wait_until(driver, lambda d: [e for e in d.find_elements(By.CSS_SELECTOR, "#devices-entries li.entry")
                                              if e.text == SETUP_WINDOW], "the Devices menu's entry")
        entry[0].click()
        wait_until(driver, lambda d: text_of(d, "window-title-text") == SETUP_WINDOW, "the setup window")
        wait_until(driver, lambda d: d.execute_script(
            "const i = document.querySelector('#window-body img');"
            "return i && i.complete && i.naturalWidth > 0 && i.getAttribute('src').startsWith('/skin/');"),
            "the window's background image from the skin package")

        # SF3 of memory 1 gets "Editors" / "Open Drum Editor", shown as "DrumEd".
        window_control(driver, "Page1").click()
        window_control(driver, "Button3").click()
        wait_until(driver, lambda d: "on" in window_control(d, "Button3").get_attribute("class"), "Button3 chosen")
        wait_until(driver, lambda d: "Editors" in [o.text for o in Select(window_control(d, "Category")).options],
                   "the category menu's entries")
        Select(window_control(driver, "Category")).select_by_visible_text("Editors")
        wait_until(driver, lambda d: "Open Drum Editor" in [o.text for o in Select(window_control(d, "Action")).options],
                   "the command menu to offer Open Drum Editor")
        Select(window_control(driver, "Action")).select_by_visible_text("Open Drum Editor")
        field = window_control(driver, "DisplayName")
        field.click()
        field.send_keys(Keys.CONTROL, "a")
        field.send_keys("DrumEd", Keys.ENTER)
        wait_until(driver, lambda d: text_of(d, "fkey-label-3") == "DrumEd", 'the F3 label "DrumEd" on the keyboard')
        driver.find_element(By.ID, "key-F3").click()
        wait_until(driver, lambda d: "Editors / Open Drum Editor" in log_lines(d), "F3 to run Open Drum Editor")

        # Save: the module writes the file, the page hands it to the browser as a download.
        window_control(driver, "SaveButton").click()
        saved = wait_until(driver, lambda d: [f for f in glob.glob(os.path.join(downloads, "*.[kK][qQ][eE]"))],
                           "the saved setup to arrive as a download")[0]

        # Reset asks first: the second button keeps the assignment, the first resets.
        window_control(driver, "ResetButton").click()
        wait_until(driver, lambda d: d.find_element(By.ID, "dialog").is_displayed(), "the reset question")
        assert text_of(driver, "dialog-message"), "the question has no text"
        driver.find_element(By.ID, "dialog-button-2").click()
        wait_until(driver, lambda d: not d.find_element(By.ID, "dialog").is_displayed(), "the question to close")
        assert text_of(driver, "fkey-label-3") == "DrumEd", "answering no reset F3"
        window_control(driver, "ResetButton").click()
        wait_until(driver, lambda d: d.find_element(By.ID, "dialog").is_displayed(), "the reset question again")
        driver.find_element(By.ID, "dialog-button-1").click()
        wait_until(driver, lambda d: text_of(d, "fkey-label-3") != "DrumEd", "the reset to clear F3's label")

        # Load: the page's own file picker gives the module the saved file back.
        window_control(driver, "LoadButton").click()
        wait_until(driver, lambda d: d.find_element(By.ID, "dialog-file").is_displayed(), "the open file picker")
        driver.find_element(By.ID, "dialog-file-input").send_keys(saved)
        wait_until(driver, lambda d: text_of(d, "fkey-label-3") == "DrumEd", "the loaded setup's F3 label")

        latencies = driver.execute_script("return window.qentPage.metrics.latencies")
        assert latencies, "no knob turn was measured"
    finally:
        driver.quit()
        code, out, err = server.stop()
    assert code == 0, "Ctrl-C: exit code %s, stderr %s" % (code, err)
    assert any("shut down in order" in line for line in out), "no orderly shutdown reported: %s" % out


# A second socket the test opens inside the page (same origin), collecting what the host sends.
OPEN_PROBE = """
const done = arguments[arguments.length - 1];
const probe = new WebSocket('ws://' + location.host + '/live');
window.probe = { socket: probe, messages: [] };
probe.onmessage = (e) => window.probe.messages.push(JSON.parse(e.data));
probe.onopen = () => done(true);
probe.onerror = () => done(false);
"""


def handshake(port, host, origin):
    """The status line of a WebSocket handshake sent as a foreign page would."""
    request = ("GET /live HTTP/1.1\r\nHost: %s\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
               "Sec-WebSocket-Key: dGhlIHNhbXBsZSBub25jZQ==\r\nSec-WebSocket-Version: 13\r\n" % host)
    if origin:
        request += "Origin: %s\r\n" % origin
    return http_status(port, request + "\r\n")


def http_status(port, request):
    with socket.create_connection(("127.0.0.1", port), timeout=10) as s:
        s.sendall(request.encode())
        answer = b""
        while b"\r\n" not in answer:
            chunk = s.recv(4096)
            if not chunk:
                break
            answer += chunk
    return answer.split(b"\r\n", 1)[0].decode(errors="replace")


def refusals(qentsim):
    """Malformed and unknown requests each get an error and change nothing; a foreign Host or
    Origin is refused before anything runs; the server still works afterwards."""
    server = Server(qentsim)
    driver = browser()
    try:
        open_page(driver, server)
        wait_until(driver, lambda d: text_of(d, "knob-name-1") == "Cutoff", "the page's first state")
        assert driver.execute_async_script(OPEN_PROBE), "the page's own origin could not open a socket"
        first = wait_until(driver, lambda d: [m for m in d.execute_script("return window.probe.messages")
                                              if m["type"] == "state"], "the state on connecting")[0]
        bad = [
            "this is not JSON",
            "[1, 2, 3]",
            '{"no": "type"}',
            '{"type": "fly"}',
            '{"type": "turn"}',
            '{"type": "turn", "keyboard": 1, "element": "AsgnKnob1", "ticks": "3"}',
            '{"type": "turn", "keyboard": 7, "element": "AsgnKnob1", "ticks": 3}',
            '{"type": "turn", "keyboard": 1, "element": "AsgnKnob1", "ticks": 100000}',
            '{"type": "turn", "keyboard": 1, "element": "Knob99", "ticks": 3}',
            '{"type": "tap", "keyboard": 1, "element": "AsgnKnob1"}',
            '{"type": "select-track", "track": "Nowhere"}',
            '{"type": "menu", "menu": "Devices", "title": "No Such Entry"}',
            '{"type": "window-press", "control": "Page1"}',
            '{"type": "dialog", "button": 1}',
        ]
        driver.execute_script("for (const m of arguments[0]) window.probe.socket.send(m);", bad)
        errors = wait_until(driver, lambda d: (lambda e: e if len(e) >= len(bad) else None)(
            [m for m in d.execute_script("return window.probe.messages") if m["type"] in ("error", "done")]),
            "an answer to each bad request")
        kinds = [m["type"] for m in errors]
        assert kinds == ["error"] * len(bad), "answers: %s" % json.dumps(errors)
        assert all(m.get("message") for m in errors), "an error without a message: %s" % errors
        assert "unknown request type" in errors[3]["message"], errors[3]["message"]

        # Foreign pages: their handshakes and requests are refused, HTTP 403 before anything runs.
        own = "127.0.0.1:%d" % server.port
        for host, origin in ((own, "http://evil.example"), (own, "null"), (own, None),
                             ("evil.example:%d" % server.port, "http://evil.example:%d" % server.port),
                             ("evil.example:%d" % server.port, "http://" + own)):
            status = handshake(server.port, host, origin)
            assert " 101 " not in status + " ", "handshake Host %s Origin %s: %s" % (host, origin, status)
        assert " 403 " in http_status(server.port, "GET / HTTP/1.1\r\nHost: evil.example\r\n\r\n") + " "
        assert " 403 " in http_status(server.port, "GET / HTTP/1.1\r\nHost: %s\r\nOrigin: http://evil.example\r\n\r\n" % own) + " "
        assert " 200 " in http_status(server.port, "GET / HTTP/1.1\r\nHost: %s\r\n\r\n" % own) + " "

        # Nothing changed: a page that connects now sees the state the first one saw.
        driver.execute_async_script(OPEN_PROBE)
        now = wait_until(driver, lambda d: [m for m in d.execute_script("return window.probe.messages")
                                            if m["type"] == "state"], "the state on connecting again")[0]
        for part in ("keyboards", "window"):
            assert now[part] == first[part], "%s changed: %s" % (part, json.dumps(now[part]))
        for key in ("selected", "log", "instrument", "devicesMenu"):
            assert now["host"][key] == first["host"][key], "host %s changed" % key
        # And it still serves its own page.
        driver.execute_script("window.probe.socket.send(JSON.stringify({type: 'turn', keyboard: 1, element: 'AsgnKnob1', ticks: 1, id: 7}))")
        wait_until(driver, lambda d: any(m.get("id") == 7 and m["type"] == "done"
                                         for m in d.execute_script("return window.probe.messages")),
                   "a good request to run after the refusals")
    finally:
        driver.quit()
        code, out, err = server.stop()
    assert code == 0, "Ctrl-C: exit code %s, stderr %s" % (code, err)
    assert any("shut down in order" in line for line in out), "no orderly shutdown reported: %s" % out


def main():
    qentsim = os.path.abspath(sys.argv[1])
    passed = failed = 0
    for name, scenario in (("page: a person plays the keyboard, the host and the setup window", person_session),
                           ("page: malformed requests and foreign origins are refused", refusals)):
        try:
            scenario(qentsim)
            print("PASS " + name, flush=True)
            passed += 1
        except Exception as error:  # one scenario's fault must not hide the other's result
            detail = str(error) or traceback.format_exc(limit=3)
            print("FAIL %s: %s" % (name, detail.strip().splitlines()[-1] if not str(error) else detail), flush=True)
            failed += 1
    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1


if __name__ == "__main__":
    sys.exit(main())
