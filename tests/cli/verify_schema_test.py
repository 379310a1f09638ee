#!/usr/bin/env python3
"""verify --json --hash of one synthesized image per format, with planted faults, against
docs/verify.schema.json; with --report, the examination report of the IM2 image must print
every value the JSON gives under the schema's title for it, and refuse what it must refuse."""
import argparse, json, os, re, subprocess, sys, tempfile
import jsonschema

DEADLINE = 120  # seconds for any one run; a hang fails the test


def run(*args, expect=None):
    done = subprocess.run(args, capture_output=True, text=True, timeout=DEADLINE)
    if expect is not None and done.returncode != expect:
        sys.exit(f"{args}: status {done.returncode}, expected {expect}\n{done.stderr}")
    return done


def make_images(synth, folder):
    images = {"F00012.IM2": ["--blocks", "300", "--fault", "payload:90", "--fault", "order:150"],
              "F00013.IX2": ["--blocks", "300", "--fault", "unit:40"],
              "F00014.IX2": ["--blocks", "300", "--chain", "--fault", "timestamp:200"],
              "F00015.IMG": ["--blocks", "300", "--img-fault", "voice:120"]}
    paths = []
    for name, options in images.items():
        paths.append(os.path.join(folder, name))
        run(synth, paths[-1], *options, expect=0)
    return paths


def titled(schema_part, document, prefix=""):
    """(title, value) of every property the report prints: those with a title and a value."""
    for key, rule in schema_part["properties"].items():
        if key in document and "properties" in rule:
            yield from titled(rule, document[key])
        elif "title" in rule and document.get(key) is not None:
            yield rule["title"], document[key]


def check_report(cli, schema, image, verified, folder):
    pdf = os.path.join(folder, "report.pdf")
    run(cli, "report", image, "--out", pdf, expect=1)   # the verdict, as verify's
    text = run("pdftotext", "-layout", pdf, "-", expect=0).stdout
    lines = text.splitlines()
    for title, value in titled(schema["$defs"]["image"], verified):
        pattern = re.compile(r"^\s*" + re.escape(title) + r"\s+" + re.escape(str(value)) + r"\s*$")
        if not any(pattern.match(line) for line in lines):
            sys.exit(f"report lacks '{title}  {value}'")
    runs = verified["irregular_runs"]
    assert runs, "the planted faults make no runs"
    for r in runs:
        cells = [r["first_index"], r["last_index"], r["status"], r["position"], r["clock_time"], r["causes"]]
        pattern = re.compile(r"\s+".join(re.escape(str(c)) for c in cells))
        if not any(pattern.search(line) for line in lines):
            sys.exit(f"report lacks the run {cells}")
    check_refusals(cli, image, pdf, folder)


def check_refusals(cli, image, pdf, folder):
    with open(pdf, "rb") as f:
        before = f.read()
    run(cli, "report", image, "--out", pdf, expect=4)   # exists, no --yes
    victim = os.path.join(folder, "victim")
    with open(victim, "w") as f:
        f.write("keep")
    link = os.path.join(folder, "link.pdf")
    os.symlink(victim, link)
    run(cli, "report", image, "--out", link, "--yes", expect=4)
    with open(pdf, "rb") as f:
        assert f.read() == before, "a refused report changed the file"
    with open(victim) as f:
        assert f.read() == "keep" and os.path.islink(link), "a report went through a link"
    left = [n for n in os.listdir(folder) if ".partial-" in n]
    assert not left, f"temporaries left behind: {left}"


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", required=True)
    ap.add_argument("--synth", required=True)
    ap.add_argument("--schema", required=True)
    ap.add_argument("--report", action="store_true")
    args = ap.parse_args()
    with open(args.schema) as f:
        schema = json.load(f)
    with tempfile.TemporaryDirectory() as folder:
        images = make_images(args.synth, folder)
        output = json.loads(run(args.cli, "verify", "--json", "--hash", *images, expect=1).stdout)
        jsonschema.Draft202012Validator(schema).validate(output)
        by_format = {image["format"] for image in output["images"]}
        assert by_format == {"IM2", "IX2", "IMG"}, by_format
        if args.report:
            check_report(args.cli, schema, images[0], output["images"][0], folder)


if __name__ == "__main__":
    main()
