"""Runs `qentsim serve` and headless Chromium for the browser tests and the pictures.

The server picks a free port itself (--port 0) and prints the address, so runs in parallel never
clash; everything waits for a condition (WebDriverWait), never for a fixed time.
"""
import os
import re
import signal
import subprocess
import tempfile
import threading

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.common.exceptions import NoSuchElementException, StaleElementReferenceException
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

ADDRESS = re.compile(r"open (http://127\.0\.0\.1:(\d+)/)")


class Server:
    """One `qentsim serve` process; stop() sends Ctrl-C and returns its exit code and output."""

    def __init__(self, qentsim, *arguments):
        self.process = subprocess.Popen(
            [qentsim, "serve", "--port", "0", *arguments],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.lines = []
        self.errors = []
        self.started = threading.Event()
        self.url = None
        self.port = None
        threading.Thread(target=self._read, args=(self.process.stdout, self.lines), daemon=True).start()
        threading.Thread(target=self._read, args=(self.process.stderr, self.errors), daemon=True).start()
        if not self.started.wait(30) or self.url is None:
            self.process.kill()
            raise RuntimeError("qentsim serve did not print its address: " + " ".join(self.errors))

    def _read(self, stream, into):
        for line in stream:
            into.append(line.rstrip("\n"))
            match = ADDRESS.search(line)
            if match:
                self.url, self.port = match.group(1), int(match.group(2))
                self.started.set()
        self.started.set()

    def stop(self, timeout=30):
        """Ctrl-C, as a person stops it; the exit code, stdout and stderr lines."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGINT)
        try:
            code = self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            code = "did not stop within %d s of Ctrl-C" % timeout
        return code, self.lines, self.errors


def browser(width=1500, height=1300, downloads=None):
    options = webdriver.ChromeOptions()
    for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage", "--disable-gpu",
                     "--window-size=%d,%d" % (width, height), "--force-device-scale-factor=1",
                     "--hide-scrollbars"):
        options.add_argument(argument)
    options.add_argument("--user-data-dir=" + tempfile.mkdtemp(prefix="qentsim-chromium-"))
    if downloads:
        options.add_experimental_option("prefs", {"download.default_directory": downloads,
                                                  "download.prompt_for_download": False})
    options.binary_location = "/usr/bin/chromium"
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def wait_until(driver, condition, what, seconds=20):
    """Waits for condition(driver) to be truthy; the assertion names `what` when it never is."""
    try:
        # The page redraws what changed: an element found a moment ago may have been replaced.
        return WebDriverWait(driver, seconds, poll_frequency=0.02,
                             ignored_exceptions=(NoSuchElementException,
                                                 StaleElementReferenceException)).until(
            lambda d: condition(d))
    except Exception as error:  # selenium's TimeoutException carries no useful text
        raise AssertionError("timed out waiting for " + what) from error


def text_of(driver, element_id):
    return driver.find_element(By.ID, element_id).text


def open_page(driver, server):
    driver.get(server.url)
    wait_until(driver, lambda d: d.find_element(By.TAG_NAME, "body").get_attribute("data-ready") == "yes",
               "the page to show the host's state")
