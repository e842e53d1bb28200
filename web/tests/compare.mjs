// How the module's answers are held against the native tool's JSON.
import assert from 'node:assert/strict';

// The same words through the native tool: the specified calculations bit
// for bit, the exact layer within 1e-12 (the module's libm may differ in a
// double's last bit). Some keys name both kinds ("estimate"); a held float
// that differs at all differs by far more than 1e-12, so none slips through.
export const EXACT_KEYS = new Set(['achieved', 'exact', 'estimate', 'wald', 'wilson', 'clopperPearson', 'jeffreys', 'agrestiCoull',
                            'z', 'populationSensitivity', 'populationSpecificity', 'bestSensitivity']);

export function compareAnswers(web, native, where, exactLayer) {
  if (typeof native === 'number') {
    if (exactLayer) assert.ok(Math.abs(web - native) <= 1e-12 * Math.max(1, Math.abs(native)), `${where}: ${web} against ${native}`);
    else assert.ok(Object.is(web, native), `${where}: ${web} against ${native}`);
    return;
  }
  if (native === null || typeof native !== 'object') return assert.equal(web, native, where);
  assert.deepEqual(Object.keys(web), Object.keys(native), where);
  for (const key of Object.keys(native))
    compareAnswers(web[key], native[key], `${where}.${key}`, exactLayer || EXACT_KEYS.has(key));
}

