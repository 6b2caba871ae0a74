// Runs the Khronos glTF validator on one file and prints its verdict as lines a test can read:
// "errors N", "warnings N", "infos N", then one line per message. Usage:
//   node gltf-validate.js VALIDATOR_MODULE_FOLDER FILE
'use strict';
const fs = require('fs');
const path = require('path');

const [moduleFolder, file] = process.argv.slice(2);
const validator = require(path.resolve(moduleFolder));
validator
    .validateBytes(new Uint8Array(fs.readFileSync(file)), {
        uri: path.basename(file),
        maxIssues: 0,
        externalResourceFunction: (uri) =>
            Promise.reject(new Error('external resource ' + uri + ': our files embed everything')),
    })
    .then((report) => {
        const issues = report.issues;
        console.log('errors ' + issues.numErrors);
        console.log('warnings ' + issues.numWarnings);
        console.log('infos ' + issues.numInfos);
        const severities = ['Error', 'Warning', 'Info', 'Hint'];
        for (const m of issues.messages)
            console.log(severities[m.severity] + ' ' + m.code + ' ' + (m.pointer || '') + ' ' +
                        m.message);
    })
    .catch((error) => {
        console.error('the validator could not read ' + file + ': ' + error);
        process.exit(2);
    });
