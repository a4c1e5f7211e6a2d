#!/usr/bin/env python3
"""The launcher behind the real server (web/serve.sh, lighttpd), started and
stopped here: a request writes only inside its own folder, the results root
is sent as text but for our own pages, and a full results disk leaves no
temporary and a request shown as failed, with the reason.

Run by CTest; QUARROW_SOURCE_DIR and QUARROW_BUILD_DIR name the repository
and the build folder.
"""

import http.client
import os
import re
import resource
import shutil
import signal
import socket
import subprocess
import tempfile
import time
import unittest
import urllib.parse

SOURCE = os.environ.get("QUARROW_SOURCE_DIR", os.path.join(os.path.dirname(__file__), "..", ".."))
BUILD = os.environ.get("QUARROW_BUILD_DIR", os.path.join(SOURCE, "build"))
HOSTILE = "<img src=x onerror=alert(1)>"  # a run folder's name a file system allows


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def tree(root):
    """{relative path: bytes} of every file below root."""
    files = {}
    for base, _, names in os.walk(root):
        for name in names:
            with open(os.path.join(base, name), "rb") as stream:
                files[os.path.relpath(os.path.join(base, name), root)] = stream.read()
    return files


class Server:
    """web/serve.sh on a free port, in the foreground of a child process;
    `file_size_limit` stands for a full results disk: every write past it
    fails, as on a full disk."""

    def __init__(self, work, name, file_size_limit=None):
        self.port = free_port()
        self.results = os.path.join(work, name + "-results")
        os.makedirs(self.results)

        def started():
            os.setsid()
            # A write past the limit then fails as on a full disk, instead
            # of ending the writer.
            signal.signal(signal.SIGXFSZ, signal.SIG_IGN)

        environment = dict(os.environ, QUARROW_DATA_ROOT=os.path.join(work, "data"), QUARROW_RESULTS_ROOT=self.results,
                           QUARROW_BUILD_DIR=BUILD, QUARROW_SERVER_DIR=os.path.join(work, name + "-server"))
        self.process = subprocess.Popen([os.path.join(SOURCE, "web", "serve.sh"), str(self.port)], env=environment,
                                        stdout=subprocess.DEVNULL, preexec_fn=started)
        for _ in range(200):
            if self.process.poll() is not None:
                raise RuntimeError(f"the server ended with status {self.process.returncode}")
            try:
                with socket.create_connection(("127.0.0.1", self.port), timeout=1):
                    pass
            except OSError:
                time.sleep(0.1)
                continue
            # serve.sh has made the server's folder and become lighttpd:
            # from now on the limit holds for it and every request it starts.
            if file_size_limit is not None:
                resource.prlimit(self.process.pid, resource.RLIMIT_FSIZE, (file_size_limit, file_size_limit))
            return
        self.stop()
        raise RuntimeError("the server did not answer")

    def stop(self):
        if self.process.poll() is None:
            os.killpg(self.process.pid, signal.SIGTERM)
            self.process.wait()

    def get(self, path, body=None):
        """(status, headers, body) of a GET, or a POST when there is a body."""
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=600)
        try:
            headers = {"Content-Type": "application/x-www-form-urlencoded"} if body is not None else {}
            connection.request("GET" if body is None else "POST", path, body=body, headers=headers)
            response = connection.getresponse()
            return response.status, response.headers, response.read().decode("utf-8", "replace")
        finally:
            connection.close()

    def extract(self, query):
        return self.get("/cgi-bin/yepharvest?" + urllib.parse.urlencode(query))


class ServerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="quarrow-server-")
        data = os.path.join(cls.work, "data")
        os.makedirs(data)
        subprocess.run([os.path.join(BUILD, "tools", "quarrow-rungen"), "--folder", "--output",
                        os.path.join(data, HOSTILE + ".d"), "--spectra", "120", "--seed", "3"],
                       check=True, stdout=subprocess.DEVNULL)
        cls.run_file = HOSTILE + ".d/Analysis.yep"

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def test_a_request_writes_only_its_own_folder_and_what_it_wrote_is_text(self):
        server = Server(self.work, "plain")
        try:
            status, _, page = server.extract({"xtractorDataFilename": self.run_file})
            self.assertEqual(status, 200)
            self.assertIn('class="outcome finished"', page)
            [first] = os.listdir(server.results)
            before = tree(server.results)

            # Every way of naming another request's folder or a page as a log.
            refused = [
                ("logFileDir", first + "/"),
                ("logFileDir", first + "/logs/"),
                ("resultsXtractorDir", first + "/peaklists/"),
                ("resultsXtractorDir", "/tmp/"),
                ("specFeaturesFilename", "feat.html"),
                ("specFeaturesFilename", "report.html"),
            ]
            for key, value in refused:
                for posted in (False, True):
                    with self.subTest(key=key, value=value, posted=posted):
                        query = urllib.parse.urlencode({"xtractorDataFilename": self.run_file, key: value})
                        status, _, page = (server.get("/cgi-bin/yepharvest", query) if posted
                                           else server.get("/cgi-bin/yepharvest?" + query))
                        self.assertEqual(status, 400, page)
                        self.assertIn(key, page)
            self.assertEqual(tree(server.results), before)

            # Files that hold what a run holds (the run's name in its rows),
            # and files dropped there by anything else, all as text.
            for path in ("evil.html", first + "/peaklists/evil.html", first + "/logs/feat.html"):
                with open(os.path.join(server.results, path), "w") as stream:
                    stream.write(f"<html><body>{HOSTILE}</body></html>")
            for path in sorted(tree(server.results)):
                with self.subTest(path=path):
                    status, headers, body = server.get("/results/" + urllib.parse.quote(path))
                    self.assertEqual(status, 200)
                    ours = path == first + "/report.html"
                    self.assertEqual(headers["Content-Type"],
                                     "text/html; charset=utf-8" if ours else "text/plain; charset=utf-8")
                    self.assertEqual(headers["X-Content-Type-Options"], "nosniff")
                    if ours:
                        self.assertIn("&lt;img src=x onerror=alert(1)&gt;", body)
                        self.assertNotIn("<img", body)
            features = tree(server.results)[first + "/logs/specFeatures.txt"].decode()
            self.assertIn("\n" + HOSTILE + ".", features)  # the rows the page must never show as markup
        finally:
            server.stop()

    def test_a_full_disk_leaves_no_temporaries_and_a_failed_request(self):
        # Room for a request's first records, not for its logs nor for a
        # query padded out with a long name the programs ignore.
        server = Server(self.work, "full", file_size_limit=3000)
        try:
            status, _, page = server.extract({"xtractorDataFilename": self.run_file, "note": "x" * 4000})
            self.assertEqual(status, 507, page)
            self.assertIn("The request&#39;s record cannot be written under the results root (File too large)", page)
            self.assertEqual(os.listdir(server.results), [], "a request that did not run leaves no folder")

            status, _, page = server.extract({"xtractorDataFilename": self.run_file})
            self.assertEqual(status, 200)
            self.assertIn('class="outcome failed"', page)
            [folder] = os.listdir(server.results)
            self.assertEqual([path for path in tree(server.results) if path.endswith(".tmp")], [])
            with open(os.path.join(server.results, folder, "outcome.txt")) as stream:
                outcome = stream.read()
            self.assertIn("status\tfailed\n", outcome)
            self.assertRegex(outcome, r"\nerror\t[^\n]*File too large")
            _, _, listing = server.get("/cgi-bin/results")
            self.assertTrue(re.search(r'<td class="status">failed</td>', listing), listing)
        finally:
            server.stop()


if __name__ == "__main__":
    unittest.main()
