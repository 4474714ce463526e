#!/usr/bin/env python3
"""Checks a plugscan JSON report against its schema: validate-report.py SCHEMA REPORT."""
import json
import sys

import jsonschema

with open(sys.argv[1], encoding="utf-8") as schema_file, \
        open(sys.argv[2], encoding="utf-8") as report_file:
    schema = json.load(schema_file)
    report = json.load(report_file)
jsonschema.validators.validator_for(schema).check_schema(schema)
errors = list(jsonschema.validators.validator_for(schema)(schema).iter_errors(report))
for error in errors:
    print("/".join(str(p) for p in error.absolute_path) + ": " + error.message)
sys.exit(1 if errors else 0)
