// How the module's answers are held against the native tool's JSON: every
// number bit for bit, the exact layer's doubles included (both builds
// compute them with the same elementary functions, musl's), and the same
// keys in the same order.
import assert from 'node:assert/strict';

export function compareAnswers(web, native, where) {
  if (typeof native === 'number') return assert.ok(Object.is(web, native), `${where}: ${web} against ${native}`);
  if (native === null || typeof native !== 'object') return assert.equal(web, native, where);
  assert.deepEqual(Object.keys(web), Object.keys(native), where);
  for (const key of Object.keys(native)) compareAnswers(web[key], native[key], `${where}.${key}`);
}
