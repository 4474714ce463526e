"""Measures the page's latency: from a knob turn on the page (a wheel notch on knob 1) to the
knob's value text changing on the page's display, in the browser (performance.now()).
Prints "knob turn to value text: N turns, p50 X ms, max Y ms".

usage: measure_latency.py QENTSIM [TURNS]
"""
import statistics
import sys

from selenium.webdriver.common.by import By

from serve_harness import Server, browser, open_page, text_of, wait_until

WHEEL = ("arguments[0].dispatchEvent(new WheelEvent('wheel', {deltaY: arguments[1], deltaMode: 0,"
         " bubbles: true, cancelable: true}))")


def main():
    qentsim = sys.argv[1]
    turns = int(sys.argv[2]) if len(sys.argv) > 2 else 30
    server = Server(qentsim)
    driver = browser()
    try:
        open_page(driver, server)
        wait_until(driver, lambda d: text_of(d, "knob-name-1") == "Cutoff", "knob 1 named")
        knob = driver.find_element(By.ID, "knob-AsgnKnob1")
        for i in range(turns):
            # Up and down in turn, so the value never sticks at an end of its range.
            driver.execute_script(WHEEL, knob, -100 if (i // 5) % 2 == 0 else 100)
            wait_until(driver, lambda d: len(d.execute_script("return window.qentPage.metrics.latencies")) > i,
                       "turn %d to show" % (i + 1))
        latencies = driver.execute_script("return window.qentPage.metrics.latencies")
    finally:
        driver.quit()
        server.stop()
    print("knob turn to value text: %d turns, p50 %.1f ms, max %.1f ms"
          % (len(latencies), statistics.median(latencies), max(latencies)))


if __name__ == "__main__":
    main()
