#!/usr/bin/python3
"""Renders the pictures of README.md: the page of `qentsim serve` on the demo project in a known
state (knobs named and valued, knob 1 turned, SF3 assigned "DrumEd" in the setup window, which is
open), in headless Chromium. Writes docs/serve-page.png, docs/serve-keyboard.png and
docs/serve-setup-window.png.

usage: docs/make-pictures.py [QENTSIM]   (default build/release/qentsim; run from anywhere)
Needs chromium, chromium-driver and python3-selenium (scripts/install-deps.sh browser).
"""
import os
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(ROOT, "tests", "serve"))

from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402
from selenium.webdriver.support.ui import Select  # noqa: E402

from serve_harness import Server, browser, open_page, text_of, wait_until  # noqa: E402


def main():
    qentsim = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "release", "qentsim")
    server = Server(qentsim)
    driver = browser(width=1460, height=1120)
    try:
        open_page(driver, server)
        wait_until(driver, lambda d: text_of(d, "knob-name-1") == "Cutoff", "knob 1 named")
        # Knob 1 up three ticks, knob 3 (Drive) up two: values that are not the defaults.
        for element, ticks in (("AsgnKnob1", 3), ("AsgnKnob3", 2)):
            driver.execute_script(
                "window.qentPage.socket.send(JSON.stringify({type: 'turn', keyboard: 1, element: arguments[0], ticks: arguments[1]}))",
                element, ticks)
        wait_until(driver, lambda d: text_of(d, "knob-value-3") not in ("", "0"), "knob 3 turned")
        driver.find_element(By.ID, "devices-button").click()
        entry = wait_until(driver, lambda d: d.find_elements(By.CSS_SELECTOR, "#devices-entries li.entry"),
                           "the Devices menu")
        entry[0].click()
        wait_until(driver, lambda d: d.find_element(By.ID, "window-area").is_displayed(), "the setup window")
        driver.find_element(By.ID, "w-Page1").click()
        driver.find_element(By.ID, "w-Button3").click()
        wait_until(driver, lambda d: "Editors" in [o.text for o in Select(d.find_element(By.ID, "w-Category")).options],
                   "the categories")
        Select(driver.find_element(By.ID, "w-Category")).select_by_visible_text("Editors")
        wait_until(driver, lambda d: "Open Drum Editor" in [o.text for o in Select(d.find_element(By.ID, "w-Action")).options],
                   "the commands")
        Select(driver.find_element(By.ID, "w-Action")).select_by_visible_text("Open Drum Editor")
        field = driver.find_element(By.ID, "w-DisplayName")
        field.click()
        field.send_keys(Keys.CONTROL, "a")
        field.send_keys("DrumEd", Keys.ENTER)
        wait_until(driver, lambda d: text_of(d, "fkey-label-3") == "DrumEd", "F3 labelled DrumEd")
        driver.find_element(By.ID, "key-F3").click()
        wait_until(driver, lambda d: d.execute_script(
            "return [...document.querySelectorAll('#window-body img')].every(i => i.complete && i.naturalWidth > 0)"),
            "the skin's images")
        # Nothing focused, no pointer over anything: the same picture every time.
        driver.execute_script("document.activeElement.blur(); window.scrollTo(0, 0);")
        docs = os.path.join(ROOT, "docs")
        # The viewport made exactly as tall as the page, so the whole page is one picture.
        height = driver.execute_script("return document.documentElement.scrollHeight")
        driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride",
                               {"width": 1460, "height": height, "deviceScaleFactor": 1, "mobile": False})
        driver.save_screenshot(os.path.join(docs, "serve-page.png"))
        driver.find_element(By.ID, "keyboard").screenshot(os.path.join(docs, "serve-keyboard.png"))
        driver.find_element(By.ID, "window-frame").screenshot(os.path.join(docs, "serve-setup-window.png"))
    finally:
        driver.quit()
        code, _, errors = server.stop()
    if code != 0:
        sys.exit("qentsim serve ended with %s: %s" % (code, errors))
    print("wrote docs/serve-page.png, docs/serve-keyboard.png, docs/serve-setup-window.png")


if __name__ == "__main__":
    main()
