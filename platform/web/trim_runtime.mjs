// Takes out of Emscripten's runtime in varnelo.js the file system's ways of filling files that the
// page never calls: files fetched lazily by XHR, preloaded files and IndexedDB sync, 4 KB of every
// first load. The program and the page only write, read and list files in memory.
// usage: node trim_runtime.mjs varnelo.js
import fs from 'node:fs';
import { createRequire } from 'node:module';

// Debian's acorn, which emcc itself parses with, is found through NODE_PATH, as terser is.
const require = createRequire(import.meta.url);
const acorn = require('acorn'), walk = require('acorn-walk');

const unused = new Set(['createLazyFile', 'createPreloadedFile', 'indexedDB', 'DB_NAME', 'DB_VERSION', 'DB_STORE_NAME',
  'saveFilesToDB', 'loadFilesFromDB']);
const [file] = process.argv.slice(2);
const parse = (code) => acorn.parse(code, { ecmaVersion: 'latest' });
const named = (node) => node.name ?? node.value;

let code = fs.readFileSync(file, 'utf8');
// The file system is the one object with createDataFile among its methods: it is written anew
// with the methods it keeps.
let trimmed = null;
walk.simple(parse(code), {
  ObjectExpression(object) {
    const { properties } = object, name = (property) => property.key && named(property.key);
    if (!properties.some((property) => name(property) === 'createDataFile')) return;
    const kept = properties.filter((property) => !unused.has(name(property)));
    if (properties.length - kept.length !== unused.size) {
      throw new Error(`${file}: found ${properties.length - kept.length} of the file system's ${unused.size} unused methods; has Emscripten changed them?`);
    }
    trimmed = code.slice(0, properties[0].start) + kept.map((property) => code.slice(property.start, property.end)).join(',') +
      code.slice(properties.at(-1).end);
  },
});
if (!trimmed) throw new Error(`${file}: no file system found`);
code = trimmed;

// Whatever still calls one of them would fail only when it runs: the build fails now instead.
walk.simple(parse(code), {
  MemberExpression({ property }) {
    if (unused.has(named(property))) throw new Error(`${file}: the runtime still reaches for ${named(property)}`);
  },
});
fs.writeFileSync(file, code);
