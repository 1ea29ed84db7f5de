// Puts the bundled script and the style sheet into the page template, so
// that the page is one file that needs nothing else, from disk or a server.
import { readFileSync, writeFileSync } from 'node:fs';

const [template, style, script, out] = process.argv.slice(2);
const html = readFileSync(template, 'utf8');
const css = readFileSync(style, 'utf8').replace(/<\/style/gi, '<\\/style');
// "</script" inside the bundle would end the element early; in JavaScript
// "<\/script" reads the same inside strings, comments and patterns.
const js = readFileSync(script, 'utf8').replace(/<\/script/gi, '<\\/script').replace(/<!--/g, '<\\!--');
const page = html.replace('/*STYLE*/', () => css).replace('/*SCRIPT*/', () => js);
writeFileSync(out, page);
