// Takes out of Emscripten's runtime in varnelo.js the file system's ways of filling files that the
// page never calls: files fetched lazily by XHR, preloaded files and IndexedDB sync, 4 KB of every
// first load. The program and the page only write, read and list files in memory.
// usage: node trim_runtime.mjs varnelo.js
import fs from 'node:fs';
import { createRequire } from 'node:module';

// Debian's acorn, which emcc itself parses with, is found through NODE_PATH, as terser is. An
// Emscripten whose runtime is laid out otherwise (another release's) is left as it is: the trim
// only makes the first load lighter.
const require = createRequire(import.meta.url);
const leave = (why) => { console.log(`trim_runtime.mjs: ${why}; varnelo.js left whole`); process.exit(0); };
let acorn, walk;
try {
  acorn = require('acorn');
  walk = require('acorn-walk');
} catch {
  leave('no acorn to parse it with');
}

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
    trimmed = code.slice(0, properties[0].start) + kept.map((property) => code.slice(property.start, property.end)).join(',') +
      code.slice(properties.at(-1).end);
  },
});
if (!trimmed) leave('no file system object of the shape this Emscripten release gives');
// Whatever still called one of them would fail only when it ran: then nothing is taken out.
walk.simple(parse(trimmed), {
  MemberExpression({ property }) {
    if (unused.has(named(property))) leave(`the runtime still reaches for ${named(property)}`);
  },
});
fs.writeFileSync(file, trimmed);
