// node validate.js FILE.glb...: runs the Khronos glTF validator on each file
// and prints one line per file, "FILE: E errors, W warnings", then every error
// and warning. Exits with 1 when any file has an error.
'use strict';
const fs = require('fs');
const validator = require('gltf-validator');

async function main(files) {
  let failed = false;
  for (const file of files) {
    const report = await validator.validateBytes(new Uint8Array(fs.readFileSync(file)), {
      uri: file,
      maxIssues: 0,
      // Embedded images are checked as well: their size and format.
      externalResourceFunction: () => Promise.reject(new Error('no external resources')),
    });
    const issues = report.issues;
    console.log(`${file}: ${issues.numErrors} errors, ${issues.numWarnings} warnings`);
    for (const m of issues.messages)
      if (m.severity <= 1) console.log(`  ${m.severity === 0 ? 'error' : 'warning'} ${m.code} ${m.pointer || ''}: ${m.message}`);
    if (issues.numErrors > 0) failed = true;
  }
  process.exit(failed ? 1 : 0);
}

main(process.argv.slice(2)).catch((e) => {
  console.error(String(e));
  process.exit(2);
});
