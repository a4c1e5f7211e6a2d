#!/usr/bin/env python3
"""One run of the workflow: starts yepharvest or wiffharvest as a web server
would and keeps what it printed.

    extract_run.py --program PATH --parameters DIR --folder DIR --query TEXT

In FOLDER (results/runs/RUN/) it makes peaklists/ and logs/ afresh and a
work/ folder holding the parameter folder, starts the program there with the
query and writes its output to progress.html as it comes. When the program
succeeds it writes the file `done`; when it fails, progress.html begins with
a line saying so and why, and this script fails with it. Either way it
writes the run's row of pipeline_info/runs.tsv to record.tsv.
"""

import argparse
import os
import shutil
import signal
import subprocess
import sys

import merge_logs
import pipeline_info
import program_output

PAGE = "progress.html"
DONE = "done"


def prepare(folder, parameters):
    for name in ("peaklists", "logs", "work", DONE, pipeline_info.RECORD):
        path = os.path.join(folder, name)
        if os.path.isdir(path) and not os.path.islink(path):
            shutil.rmtree(path)
        elif os.path.lexists(path):
            os.remove(path)
    for name in ("peaklists", "logs", "work"):
        os.makedirs(os.path.join(folder, name))
    os.symlink(os.path.abspath(parameters), os.path.join(folder, "work", "msparams_quarrow"))


def run(program, query, folder):
    """The program's exit status (negative: the signal that stopped it)."""
    environment = dict(os.environ, QUERY_STRING=query)
    with open(os.path.join(folder, PAGE), "wb") as page:
        child = subprocess.Popen([program], cwd=os.path.join(folder, "work"), env=environment, stdin=subprocess.DEVNULL,
                                 stdout=page, stderr=subprocess.STDOUT)

        # A cluster stops a job that overruns its time with SIGTERM: the
        # program stops with it, and the page still says what happened.
        def stop(number, _frame):
            child.send_signal(number)

        signal.signal(signal.SIGTERM, stop)
        signal.signal(signal.SIGINT, stop)
        return child.wait()


def mark_failed(folder, program_name, status):
    path = os.path.join(folder, PAGE)
    with open(path, "r", encoding="utf-8", errors="surrogateescape", newline="") as stream:
        page = stream.read()
    temporary = path + ".tmp"
    with open(temporary, "w", encoding="utf-8", errors="surrogateescape", newline="") as stream:
        stream.write(program_output.failure_notice(program_name, status, page) + page)
    os.replace(temporary, path)


def main(argv):
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--program", required=True)
    parser.add_argument("--parameters", required=True)
    parser.add_argument("--folder", required=True)
    parser.add_argument("--query", required=True)
    arguments = parser.parse_args(argv)
    prepare(arguments.folder, arguments.parameters)
    program_name = os.path.basename(arguments.program)
    start = pipeline_info.now()
    status = run(arguments.program, arguments.query, arguments.folder)
    end = pipeline_info.now()
    if status != 0:
        mark_failed(arguments.folder, program_name, status)
        status = 128 - status if status < 0 else status
    else:
        with open(os.path.join(arguments.folder, DONE), "w") as stream:
            stream.write("")
    record = pipeline_info.run_record(os.path.basename(os.path.normpath(arguments.folder)), program_name, start, end,
                                      status)
    merge_logs.write_text(os.path.join(arguments.folder, pipeline_info.RECORD), record)
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
